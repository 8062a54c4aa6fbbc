#pragma once
// An interface source for tests: the test brings interfaces up, gives and
// takes addresses, and the provider follows as it follows the kernel's. The
// interfaces use loopback addresses (127.0.0.x), so no real network is used.

#include "platform/netbios/nb_interface_source.h"

#include <net/if.h>

#include <functional>
#include <memory>
#include <string>

namespace pl::nb::test {

class FakeInterfaces final : public NbInterfaceSource {
public:
    // Makes the source the provider will own, and keeps a pointer to it.
    static std::unique_ptr<NbInterfaceSource> Make(FakeInterfaces*& out)
    {
        auto source = std::make_unique<FakeInterfaces>();
        out = source.get();
        return source;
    }

    void Start(NbEventLoop& loop, ChangeHandler changed) override
    {
        loop_ = &loop;
        changed_ = std::move(changed);
    }
    const NbInterfaceSnapshot& Snapshot() const override { return snapshot_; }

    // Before the provider exists: the interfaces it starts with.
    void Up(std::int32_t index, const std::string& name, std::uint32_t address) { Put(index, name, address); }

    // Once the provider runs: the change reaches its loop (a synchronous NCB
    // submitted afterwards runs after it, see Barrier).
    void BringUp(std::int32_t index, const std::string& name, std::uint32_t address)
    {
        Change([=, this] { Put(index, name, address); });
    }
    void Readdress(std::int32_t index, std::uint32_t from, std::uint32_t to)
    {
        Change([=, this] {
            snapshot_.RemoveAddress(index, from, 8);
            snapshot_.SetAddress({index, to, 8, std::nullopt, false});
        });
    }
    void TakeAddress(std::int32_t index, std::uint32_t address)
    {
        Change([=, this] { snapshot_.RemoveAddress(index, address, 8); });
    }

private:
    void Put(std::int32_t index, const std::string& name, std::uint32_t address)
    {
        snapshot_.SetLink(index, {name, IFF_UP});
        snapshot_.SetAddress({index, address, 8, std::nullopt, false});
    }
    void Change(std::function<void()> change)
    {
        loop_->Post([this, change = std::move(change)] {
            change();
            changed_();
        });
    }

    NbInterfaceSnapshot snapshot_;
    NbEventLoop* loop_ = nullptr;
    ChangeHandler changed_;
};

}  // namespace pl::nb::test
