#pragma once
// A main window on the in-memory NetBIOS LAN with a scripted network
// enumeration, for the tests of the windows it opens. The LAN search asks
// `lookup` for the messenger names of a computer.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <map>
#include <mutex>

#include "../support/pl_temp_folder.h"
#include "../transport/fake_mailslots.h"
#include "../transport/fake_netbios_lan.h"
#include "../transport/test_wait.h"
#include "ui/main/c_main_form.h"

class ScriptedNetEnum : public PlNetEnum {
public:
    std::optional<std::vector<PlNetResource>> Enumerate(const PlNetResource* parent) override
    {
        std::lock_guard lock(mutex_);
        const auto found = containers_.find(parent == nullptr ? std::string() : parent->remoteName);
        if (found == containers_.end())
            return std::nullopt;
        return found->second;
    }
    void Set(const std::string& container, std::vector<PlNetResource> resources)
    {
        std::lock_guard lock(mutex_);
        containers_[container] = std::move(resources);
    }

private:
    std::mutex mutex_;
    std::map<std::string, std::vector<PlNetResource>> containers_;
};

class DesktopFixture : public ::testing::Test {
protected:
    DesktopFixture()
    {
        PlMessengerTransports transports{lan_.Entry(lan_.AddHost({0})), &mailslots_, &network_, "HOSTA", 10};
        PlMessengerSetup setup;
        setup.names = {"HOSTA", "alice"};
        setup.archivePath = folder_.Path("msgarchive.qdb");
        setup.registryPath = folder_.Path("registry.reg");
        setup.autostartPath = folder_.Path("autostart.desktop");
        setup.languageFolder = folder_.Path("language");
        form_ = std::make_unique<CMainForm>(setup, std::make_unique<PlMessengerNetwork>(transports));
        form_->Start();
        form_->Core().Browser()->SetNameLookup([this](const std::string& computer) { return lookup_(computer); });
    }

    // Windows closed by a test are deleted while the main window lives.
    ~DesktopFixture() override
    {
        form_->Windows().CloseAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    bool WaitFor(const std::function<bool()>& done)
    {
        return WaitUntil([&] {
            QCoreApplication::processEvents();
            return done();
        });
    }

    template <typename Window>
    Window* Find(const char* key)
    {
        return dynamic_cast<Window*>(form_->Windows().Find(QString::fromLatin1(key)));
    }

    PlTempFolder folder_;
    FakeNetbiosLan lan_;
    FakeMailslots mailslots_;
    ScriptedNetEnum network_;
    std::function<std::vector<std::string>(const std::string&)> lookup_ = [](const std::string&) {
        return std::vector<std::string>();
    };
    std::unique_ptr<CMainForm> form_;
};
