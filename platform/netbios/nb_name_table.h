#pragma once
// The two narrow interfaces between an adapter's name service and the
// services that use its names. NbNameTable is what the session and datagram
// services may ask of the name service; NbNameUsers is what the name service
// tells them (NbLana passes it on) when a local name can no longer be used.
// Both are called as loop code only, with the provider's state held.

#include "platform/text/pl_netbios_name.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace pl::nb {

// A name of the local name table, as the other services see it.
struct NbLocalName {
    NetbiosNameBytes name{};
    std::uint8_t num = 0;
    bool group = false;
};

// The owner of a name on the network.
struct NbResolvedName {
    std::uint32_t address = 0;  // host order
    bool group = false;
};

class NbNameTable {
public:
    using NameBytes = std::span<const std::uint8_t, kNetbiosNameLength>;
    using ResolveHandler = std::function<void(std::optional<NbResolvedName>)>;

    virtual ~NbNameTable() = default;

    // The registered local name with these 16 bytes, or with this name
    // number; nothing while a name is being registered, in conflict or
    // being deleted.
    virtual std::optional<NbLocalName> RegisteredName(NameBytes name) const = 0;
    virtual std::optional<NbLocalName> RegisteredNumber(std::uint8_t num) const = 0;
    // Finds the owner of a name: a local name, the cache, lmhosts, the WINS
    // server, then a broadcast query. The handler runs once, perhaps before
    // Resolve returns; it gets nothing when nobody answered.
    virtual void Resolve(const NetbiosNameBytes& name, ResolveHandler handler) = 0;
    // The owner of a remote name while its cache entry lasts.
    virtual std::optional<NbResolvedName> CachedOwner(const NetbiosNameBytes& name) const = 0;
    // No session of name `num` is left: a name deleted while in use goes now.
    virtual void LastSessionEnded(std::uint8_t num) = 0;
};

class NbNameUsers {
public:
    virtual ~NbNameUsers() = default;

    // Whether a session of name `num` is open; such a name is not deleted at
    // once but marked as being deleted until its last session ends.
    virtual bool NameHasOpenSessions(std::uint8_t num) const = 0;
    // Name `num` is deleted, or is being deleted: its pending listens and
    // datagram receives complete with NRC_NAMERR.
    virtual void NameWithdrawn(std::uint8_t num) = 0;
    // Another node holds name `num`: its pending listens complete with
    // NRC_NAMCONF.
    virtual void NameInConflict(std::uint8_t num) = 0;
};

}  // namespace pl::nb
