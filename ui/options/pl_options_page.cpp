#include "ui/options/pl_options_page.h"

#include <QButtonGroup>
#include <QVBoxLayout>

#include "app/options/pl_options_pages.h"
#include "ui/common/pl_qt_text.h"

PlOptionsPage::PlOptionsPage(PlOptionsPageContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

QGroupBox* PlOptionsPage::AddGroup(std::int32_t title)
{
    auto* group = new QGroupBox(Tx(title), this);
    static_cast<QVBoxLayout*>(layout())->addWidget(group);
    return group;
}

void PlOptionsPage::EndPage()
{
    static_cast<QVBoxLayout*>(layout())->addStretch(1);
}

QCheckBox* PlOptionsPage::CheckBox(std::int32_t text, std::int32_t option, QWidget* parent)
{
    auto* box = new QCheckBox(Tx(text), parent);
    box->setChecked(pl::options::IsChecked(option, Edited(option)));
    connect(box, &QCheckBox::clicked, this,
            [this, option](bool checked) { Store(option, pl::options::CheckValue(checked)); });
    return box;
}

QLineEdit* PlOptionsPage::NumberEdit(std::int32_t option, QWidget* parent)
{
    auto* edit = new QLineEdit(Qs(pl::options::NumberText(Edited(option))), parent);
    connect(edit, &QLineEdit::textChanged, this, [this, option](const QString& text) {
        Store(option, OptionValue::FromInteger(pl::options::NumberOfText(Ss(text))));
    });
    return edit;
}

std::vector<QRadioButton*> PlOptionsPage::Radios(const std::vector<std::int32_t>& texts, int checked,
                                                 std::int32_t option, OptionValue (*value)(int), QWidget* parent)
{
    std::vector<QRadioButton*> radios;
    auto* group = new QButtonGroup(parent);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(Tx(texts[i]), parent);
        radio->setChecked(static_cast<int>(i) == checked);
        group->addButton(radio, static_cast<int>(i));
        radios.push_back(radio);
    }
    connect(group, &QButtonGroup::idClicked, this, [this, option, value](int id) { Store(option, value(id)); });
    return radios;
}
