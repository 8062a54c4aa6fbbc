#include "cli/provider_failure.h"

#include <exception>
#include <iostream>

#include "platform/netbios/nb_socket.h"
#include "platform/netbios/netbt_config.h"

namespace pl::cli {

void ReportProviderFailure(const char* command)
{
    try {
        throw;
    } catch (const nb::PlNetbtConfigErr& error) {
        std::cerr << command << ": " << error.Text() << "\n";
    } catch (const nb::PlNetbiosSocketErr& error) {
        std::cerr << command << ": cannot open the NetBIOS ports: " << error.Text()
                  << " (another NetBIOS service may be running, or the ports need root)\n";
    } catch (const std::exception& error) {
        std::cerr << command << ": " << error.what() << "\n";
    }
}

}  // namespace pl::cli
