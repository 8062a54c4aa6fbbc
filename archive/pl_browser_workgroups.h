#pragma once
// The contact poll's question for domains and workgroups, answered by the LAN
// browser: one is available while the browser's tree lists it.

#include "archive/pl_contact_reachability.h"

class PlNetworkBrowser;

// REQUIRES: `browser` outlives the returned function.
PlWorkgroupListed WorkgroupsListedBy(const PlNetworkBrowser& browser);
