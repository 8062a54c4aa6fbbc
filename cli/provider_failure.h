#pragma once
// How parlino-cli reports that the NetBIOS provider could not be started.

namespace pl::cli {

// Prints the reason of the exception being handled, in plain words, to
// standard error. REQUIRES: called inside a catch block.
void ReportProviderFailure(const char* command);

}  // namespace pl::cli
