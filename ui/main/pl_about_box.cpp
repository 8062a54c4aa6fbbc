#include "ui/main/pl_about_box.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/shared/pl_program_info.h"
#include "ui/common/pl_qt_text.h"

namespace {

constexpr std::int32_t kTextTitle = 501;
constexpr std::int32_t kTextName = 502;
constexpr std::int32_t kTextWhat = 503;
constexpr std::int32_t kTextVersion = 506;

}  // namespace

PlFormAboutBox::PlFormAboutBox()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Tx(kTextTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/online.svg")));
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(QIcon(QStringLiteral(":/icons/online.svg")).pixmap(48, 48));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);
    auto* name = new QLabel(Tx(kTextName), this);
    QFont larger = name->font();
    larger.setBold(true);
    larger.setPointSizeF(larger.pointSizeF() * 1.25);
    name->setFont(larger);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    for (const QString& line : {Tx(kTextWhat), Tx(kTextVersion) + " " + Qs(pl::ProductVersion())}) {
        auto* label = new QLabel(line, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(Tx(101));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
