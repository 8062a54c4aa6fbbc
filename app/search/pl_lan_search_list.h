#pragma once
// PlLanSearchList: what the LAN search window shows, without the window: the
// records a search delivered, in display order, each in a group whose header
// follows the grouping mode (first letter, computer, domain, status). Group
// ids run 1, 2, 3 ... in order of first use; the window lists the groups in
// ascending byte order of their headers and each group's rows in list order.
// Also the rules of one record: its picture, status, recipient type and the
// contact it becomes.
//
// Used on the user-interface thread only.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/pl_contact_record.h"
#include "transport/browser/pl_net_resource_info.h"

namespace pl::search {

enum class Grouping { FirstLetter = 1, Computer = 2, Domain = 3, Status = 4 };
inline constexpr Grouping kOpeningGrouping = Grouping::Domain;

// List columns: name, comment, computer, domain, status.
inline constexpr int kColumnCount = 5;
// The grouping a click on a column header asks for; none for the comment.
std::optional<Grouping> GroupingOfColumn(int column);

// Pictures: 0 user or computer, 1 domain or workgroup, 2 and 3 the same offline.
int PictureOf(const PlNetResourceInfo& record);
bool IsAvailable(const PlNetResourceInfo& record);
// Text ids of "Available" and "Offline".
inline constexpr std::int32_t kTextAvailable = 1809;
inline constexpr std::int32_t kTextOffline = 1810;
std::int32_t StatusTextId(const PlNetResourceInfo& record);
// 1 (user or computer) for computers and recipients, else 2 (domain or
// workgroup): the recipient type of a message or a contact.
std::int32_t RecipientType(const PlNetResourceInfo& record);
// A new contact for the record: its name, displayed as its comment when it
// has one, in no group.
PlContactRecord ContactOf(const PlNetResourceInfo& record);

class PlLanSearchList {
public:
    struct Row {
        PlNetResourceInfo record;
        int group = 0;
    };
    struct Group {
        int id = 0;
        std::string header;
    };

    // The status headers of the grouping by status.
    PlLanSearchList(std::string available, std::string offline);

    // Removes every row and group; the grouping stays.
    void Clear();
    // Appends a copy of `record` in the group its header names (created when
    // new); returns the row's index.
    std::size_t Add(const PlNetResourceInfo& record);
    // Sorts the rows for `grouping` (stable: equal rows keep their order) and
    // groups them anew.
    void Regroup(Grouping grouping);

    Grouping Mode() const { return mode_; }
    const std::vector<Row>& Rows() const { return rows_; }
    // The groups in ascending byte order of their headers.
    std::vector<Group> Groups() const;
    // The header of a record in the current mode ("-" for an empty name,
    // computer or domain).
    std::string HeaderOf(const PlNetResourceInfo& record) const;

private:
    int GroupOf(const PlNetResourceInfo& record);

    std::string available_;
    std::string offline_;
    Grouping mode_ = kOpeningGrouping;
    std::vector<Row> rows_;
    std::map<std::string, int> groups_;  // header -> id; std::string compares bytewise
};

}  // namespace pl::search
