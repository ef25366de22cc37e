#include "ui/tform2.h"

#include "pagekit/widgets.h"

#include <QFrame>
#include <QVBoxLayout>

TForm2::TForm2(QWidget *parent) : QDialog(parent)
{
    ui::fixedWindow(this, "Form2", QStringLiteral("RFID"), 448, 261);
    auto *panel = ui::named(new QFrame(this), "Panel1");
    panel->setFrameShape(QFrame::NoFrame);
    panel->setFixedSize(377, 170);
    auto *text = ui::label("Label1", QStringLiteral("UHF Write Card DEMO V2.7   "), panel);
    QFont f = text->font();
    f.setPixelSize(24);
    text->setFont(f);
    text->setAlignment(Qt::AlignCenter);
    auto *pl = new QVBoxLayout(panel);
    pl->addWidget(text);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel, 0, Qt::AlignCenter);
}
