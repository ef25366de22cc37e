#include "ui/epcsourcebox.h"

#include "base/errors.h"
#include "epc/epctext.h"
#include "pagekit/guard.h"
#include "pagekit/widgets.h"
#include "ui/filedialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace
{

const QString kExampleUri = QStringLiteral("urn:epc:tag:sgtin-96:3.0614141.812345.6789");

QFont fixedFont()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

EpcSourceBox::EpcSourceBox(QWidget *parent) : QGroupBox(QStringLiteral("Source"), parent)
{
    setObjectName(QStringLiteral("epcSource"));
    gs1Source = ui::radio("gs1Source", QStringLiteral("GS1 sequence"), true, this);
    hexSource = ui::radio("hexSource", QStringLiteral("Hex sequence"), false, this);
    listSource = ui::radio("listSource", QStringLiteral("List file"), false, this);
    auto *kinds = new QButtonGroup(this);
    kinds->addButton(gs1Source, 0);
    kinds->addButton(hexSource, 1);
    kinds->addButton(listSource, 2);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(buildGs1Page());
    pages_->addWidget(buildHexPage());
    pages_->addWidget(buildListPage());
    connect(kinds, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            pages_->setCurrentIndex(id);
    });

    auto *row = new QHBoxLayout;
    row->addWidget(gs1Source);
    row->addWidget(hexSource);
    row->addWidget(listSource);
    row->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(pages_);
}

QWidget *EpcSourceBox::buildGs1Page()
{
    auto *page = new QWidget(this);
    gs1First = ui::edit("gs1First", kExampleUri, page);
    gs1First->setFont(fixedFont());
    gs1First->setToolTip(QStringLiteral("A tag URI, a pure-identity URI (with the filter beside it) or the EPC as hex. "
                                        "The serial counts up by one per tag."));
    gs1Filter = new QComboBox(page);
    gs1Filter->setObjectName(QStringLiteral("gs1Filter"));
    for (int f = 0; f <= 7; ++f)
        gs1Filter->addItem(QString::number(f), f);
    gs1Filter->setCurrentIndex(1);
    gs1View = ui::label("gs1View", QString(), page);
    gs1View->setFont(fixedFont());
    gs1View->setTextInteractionFlags(Qt::TextSelectableByMouse);
    gs1View->setWordWrap(true);

    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(gs1Filter);
    filterRow->addWidget(new QLabel(QStringLiteral("(used for a pure-identity URI, urn:epc:id:...)"), page));
    filterRow->addStretch(1);
    auto *form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("First EPC:"), gs1First);
    form->addRow(QStringLiteral("Filter:"), filterRow);
    form->addRow(gs1View);
    connect(gs1First, &QLineEdit::textChanged, this, [this] { showGs1View(); });
    connect(gs1Filter, &QComboBox::currentIndexChanged, this, [this] { showGs1View(); });
    showGs1View();
    return page;
}

QWidget *EpcSourceBox::buildHexPage()
{
    auto *page = new QWidget(this);
    hexFirst = ui::edit("hexFirst", QStringLiteral("000000000000000000000001"), page);
    hexFirst->setFont(fixedFont());
    hexStep = ui::edit("hexStep", QStringLiteral("1"), page);
    hexStep->setFont(fixedFont());
    hexStep->setMaximumWidth(120);
    hexPlus = ui::radio("hexPlus", QStringLiteral("Plus"), true, page);
    hexReverse = ui::radio("hexReverse", QStringLiteral("Reverse addition (first byte lowest)"), false, page);
    auto *order = new QHBoxLayout;
    order->addWidget(hexPlus);
    order->addWidget(hexReverse);
    order->addStretch(1);
    auto *form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("First number (hex):"), hexFirst);
    form->addRow(QStringLiteral("Step (hex):"), hexStep);
    form->addRow(QStringLiteral("Counting:"), order);
    return page;
}

QWidget *EpcSourceBox::buildListPage()
{
    auto *page = new QWidget(this);
    listPath = ui::edit("listPath", QString(), page);
    listChoose = ui::button("listChoose", QStringLiteral("Choose..."), page);
    auto *row = new QHBoxLayout;
    row->addWidget(listPath, 1);
    row->addWidget(listChoose);
    auto *form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("EPC list:"), row);
    form->addRow(new QLabel(QStringLiteral("One EPC a line, as hex or URI; or CSV with an \"epc\" column."), page));
    guard::onClick(listChoose, [this] { chooseList(); });
    return page;
}

void EpcSourceBox::showGs1View()
{
    const QString text = gs1First->text();
    if (text.trimmed().isEmpty()) {
        gs1View->setText(QStringLiteral("Type a tag URI (%1), a pure-identity URI or hex.").arg(kExampleUri));
        return;
    }
    try {
        const commission::EpcView v = commission::viewEpc(text, gs1Filter->currentData().toInt());
        QString shown = QStringLiteral("Tag URI:        %1\nPure identity:  %2\nHex:            %3")
                            .arg(v.decoded.tagUri,
                                 v.decoded.idUri.isEmpty() ? QStringLiteral("(none: no GS1 scheme)") : v.decoded.idUri,
                                 epc::toHex(v.bytes));
        if (!v.decoded.gs1)
            shown += QStringLiteral("\nNot a GS1 EPC: a GS1 sequence cannot count it up.");
        gs1View->setText(shown);
    } catch (const UserError &e) {
        gs1View->setText(QStringLiteral("Not an EPC: %1").arg(e.message()));
    }
}

void EpcSourceBox::chooseList()
{
    const QString path =
        filedialogs::choose(this, {filedialogs::Request::Kind::Open, QStringLiteral("EPC list"),
                                   filedialogs::filterFromPairs(QStringLiteral("EPC lists|*.txt;*.csv|All files|*"))});
    if (!path.isEmpty())
        listPath->setText(path);
}

void EpcSourceBox::fill(commission::BatchPlan &plan) const
{
    if (gs1Source->isChecked()) {
        plan.source = commission::SourceKind::Gs1;
        plan.first = gs1First->text();
        plan.filter = gs1Filter->currentData().toInt();
    } else if (hexSource->isChecked()) {
        plan.source = commission::SourceKind::Hex;
        plan.first = hexFirst->text();
        plan.step = hexStep->text();
        plan.reverse = hexReverse->isChecked();
    } else {
        plan.source = commission::SourceKind::List;
        plan.listPath = listPath->text();
    }
}
