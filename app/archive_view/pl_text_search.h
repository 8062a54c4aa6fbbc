#pragma once
// The archive's search with a text: the search view's filter (a name, or
// all names, and a period) narrowed further to messages that contain a
// text, ignoring case (Unicode-aware), in the originator, the recipient or
// the message. An empty text narrows nothing. The text is part of the
// filter's result key, so a refresh after an insert still filters only the
// changed pages.
//
// Threads: as PlMsgLogFiltered (used on the user-interface thread; scans run
// under the database's lock on whichever thread changes the archive).

#include <optional>
#include <string>
#include <string_view>

#include "archive/pl_msg_log_data_sets.h"
#include "archive/pl_msg_log_filters.h"

namespace pl::archive_view {

// The text as the search compares it: without blanks around it, upper case.
std::string SearchKey(std::string_view text);
// True when `text` contains `key` (a SearchKey) ignoring case; an empty key
// is contained in every text.
bool ContainsKey(std::string_view text, std::string_view key);

}  // namespace pl::archive_view

class PlTextSearchFilter : public FilterManual {
public:
    bool Accept(const PlRow& row) override;
    void Begin() override;
    std::optional<std::string> ResultKey() const override;

    std::string text;

private:
    std::string key_;  // SearchKey(text), made by Begin
};

class PlMsgLogTextSearch : public PlMsgLogFiltered {
public:
    PlMsgLogTextSearch() : PlMsgLogFiltered(std::make_unique<PlTextSearchFilter>()) {}
    PlTextSearchFilter& TextFilter() { return static_cast<PlTextSearchFilter&>(Filter()); }
};
