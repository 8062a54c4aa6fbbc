#include "app/core/pl_tray_status.h"

namespace {

constexpr std::int32_t kTextTitle = 401;
constexpr std::int32_t kTextRegistering = 402;
constexpr std::int32_t kTextOnline = 403;
constexpr std::int32_t kTextNoNetwork = 404;

}  // namespace

PlTrayStatus PlComputeTrayStatus(std::size_t adapters, std::size_t openComputerNames, const PlTextTable& texts)
{
    PlTrayStatus status;
    std::int32_t text = kTextRegistering;
    if (adapters == 0) {
        text = kTextNoNetwork;
    } else if (openComputerNames >= adapters) {
        text = kTextOnline;
        status.icon = PlTrayIcon::Online;
    }
    status.tip = texts.Text(kTextTitle) + "\n" + texts.Text(text);
    return status;
}
