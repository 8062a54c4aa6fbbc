#pragma once
// PlCoolMenuManagerInterface: what the contact list window draws from, a
// list of rows (group rows and member rows) with texts and images. Rows count
// from 0.

#include <cstdint>
#include <string>
#include <vector>

class PlCoolMenuManagerInterface {
public:
    virtual ~PlCoolMenuManagerInterface() = default;

    virtual std::int32_t GetRowCount() = 0;
    // Empty text for a row past the end.
    virtual std::string GetRowText(std::int32_t row) = 0;
    // −1 for a row past the end.
    virtual std::int32_t GetRowImage(std::int32_t row) = 0;
    virtual bool IsGroupRow(std::int32_t row) = 0;
    // Opens or closes a group row; other rows do nothing.
    virtual void Toggle(std::int32_t row) = 0;
};

// The contact list window as the contact manager sees it. Repaint may be
// called from the polling thread: an implementation hands it to its own
// thread. The manager never calls these while it holds its lock.
class PlContactListView {
public:
    virtual ~PlContactListView() = default;

    // The names the window offers (groups as "Name(Group)", members of open
    // groups by RealName).
    virtual void SetNameList(const std::vector<std::string>& names) = 0;
    // The rows changed in number or order.
    virtual void RefreshList() = 0;
    // Row texts or images changed.
    virtual void Repaint() = 0;
};
