#include "ui/app/c_messenger_app.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QIcon>
#include <QMessageBox>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "app/core/pl_single_instance.h"
#include "platform/netbios/nb_socket.h"
#include "platform/netbios/netbt_config.h"
#include "ui/app/pl_action_channel.h"
#include "ui/common/pl_resources.h"
#include "ui/common/pl_trace.h"
#include "ui/main/c_main_form.h"

namespace {

int gSignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    (void)!::write(gSignalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT close the main window, so that the shutdown runs: names
// are released, the contact list and the settings are written.
void CloseOnSignals(CMainForm& form)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, &form);
    QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form] {
        char byte = 0;
        (void)!::read(gSignalPipe[0], &byte, 1);
        form.close();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

QString ProviderFailure()
{
    try {
        throw;
    } catch (const pl::nb::PlNetbtConfigErr& error) {
        return QString::fromStdString(error.Text());
    } catch (const pl::nb::PlNetbiosSocketErr& error) {
        return QString::fromStdString("The NetBIOS ports cannot be opened: " + error.Text() +
                                      ". Another NetBIOS service (Samba's nmbd) may hold them, or the program "
                                      "lacks the right to bind them (parlino-cli setup firewall).");
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
}

}  // namespace

void PlChooseQtPlatform()
{
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if ((chosen == nullptr || *chosen == '\0') && std::getenv("WAYLAND_DISPLAY") != nullptr &&
        std::getenv("DISPLAY") != nullptr)
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
}

CMessengerApp::CMessengerApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("parlino"));
    setApplicationDisplayName(QStringLiteral("Parlino Messenger"));
    setDesktopFileName(QStringLiteral("parlino"));
    setQuitOnLastWindowClosed(false);
    PlInitResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/online.svg")));
}

int CMessengerApp::Run(const PlCommandLine& line)
{
    PlSetTracing(line.verbose);
    const auto lock = PlTakeInstanceLock();
    if (!lock->Held()) {
        // Another instance of this user runs: it takes the action, this one ends.
        if (line.action)
            PlActionChannel::Send(*line.action);
        return 0;
    }
    if (line.action == PlAction::Exit)
        return 0;  // nothing runs that could end

    std::unique_ptr<CMainForm> form;
    try {
        form = std::make_unique<CMainForm>(DesktopSetup(), std::make_unique<PlMessengerNetwork>(false));
    } catch (...) {
        const QString reason = ProviderFailure();
        std::cerr << "parlino: " << reason.toStdString() << "\n";
        QMessageBox::critical(nullptr, QStringLiteral("Parlino Messenger"), reason);
        return 1;
    }
    PlActionChannel channel;
    if (!channel.Listen([&form](PlAction action) { form->Perform(action); }))
        PlTrace(QStringLiteral("the action socket could not be opened: later starts cannot hand over"));
    form->Start();
    CloseOnSignals(*form);
    if (line.action)
        QMetaObject::invokeMethod(
            form.get(), [&form, action = *line.action] { form->Perform(action); }, Qt::QueuedConnection);
    return exec();
}
