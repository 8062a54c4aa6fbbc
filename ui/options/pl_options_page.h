#pragma once
// PlOptionsPage: one page of the options window, bound to a few options. A
// page fills its controls from the edited options (the pending value, else
// the current one) and stores each change at once as a pending option;
// Commit stores what a control still holds unstored (a file name being
// typed). The window applies the pending options on OK.
//
// User-interface thread only.

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "app/settings/pl_options.h"

// What the pages work on.
struct PlOptionsPageContext {
    PlOptions& options;
    std::string languageFolder;  // where the language files are listed from
};

class PlOptionsPage : public QWidget {
public:
    PlOptionsPage(PlOptionsPageContext& context, QWidget* parent);

    virtual void Commit() {}

protected:
    OptionValue Edited(std::int32_t option) const { return context_.options.EditedOption(option); }
    void Store(std::int32_t option, const OptionValue& value) { context_.options.SetPendingOption(option, value); }
    PlOptionsPageContext& Context() { return context_; }

    // A group box titled with the interface text `title`, added to the page.
    QGroupBox* AddGroup(std::int32_t title);
    // Ends the page: what is left of its height stays empty below the groups.
    void EndPage();

    // A check box showing `option`, storing 1 or 0 on every click.
    QCheckBox* CheckBox(std::int32_t text, std::int32_t option, QWidget* parent);
    // An edit of the number `option`, storing the number of its text on
    // every change.
    QLineEdit* NumberEdit(std::int32_t option, QWidget* parent);
    // Radio buttons with the texts `texts`, the one at `checked` checked; a
    // click on the one at i stores value(i). The caller lays them out.
    std::vector<QRadioButton*> Radios(const std::vector<std::int32_t>& texts, int checked, std::int32_t option,
                                      OptionValue (*value)(int), QWidget* parent);

private:
    PlOptionsPageContext& context_;
};
