#include "ui/cuebanner.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

// Background and text colours: dark text on light colours reads in daylight and on a
// projector alike.
struct Colours {
    const char *background;
    const char *text;
};

Colours coloursOf(CueBanner::Tone tone)
{
    switch (tone) {
    case CueBanner::Tone::Idle:
        return {"#e8e8e8", "#303030"};
    case CueBanner::Tone::Waiting:
        return {"#cfe3ff", "#0b2e5c"};
    case CueBanner::Tone::Good:
        return {"#c9f2c9", "#0d4010"};
    case CueBanner::Tone::Bad:
        return {"#ffc9c4", "#6b0b05"};
    case CueBanner::Tone::Attention:
        return {"#ffe7a8", "#5a3b00"};
    }
    return {"#e8e8e8", "#303030"};
}

} // namespace

CueBanner::CueBanner(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("cueBanner"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    headline_ = new QLabel(this);
    headline_->setObjectName(QStringLiteral("cueHeadline"));
    QFont big = headline_->font();
    big.setPixelSize(30);
    big.setBold(true);
    headline_->setFont(big);
    headline_->setAlignment(Qt::AlignCenter);
    headline_->setWordWrap(true);
    detail_ = new QLabel(this);
    detail_->setObjectName(QStringLiteral("cueDetail"));
    QFont normal = detail_->font();
    normal.setPixelSize(14);
    detail_->setFont(normal);
    detail_->setAlignment(Qt::AlignCenter);
    detail_->setWordWrap(true);
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(headline_);
    layout->addWidget(detail_);
    // Room for two lines of each, so that the window does not jump as cues change.
    setMinimumHeight(2 * headline_->fontMetrics().lineSpacing() + 2 * detail_->fontMetrics().lineSpacing() + 30);
    display(Tone::Idle, QStringLiteral("No batch running"), QString());
}

void CueBanner::display(Tone tone, const QString &headline, const QString &detail, bool sound)
{
    if (tone != tone_ || headline_->text().isEmpty()) {
        // A palette, not a style sheet: it changes twice a tag, and a sheet re-polishes.
        const Colours c = coloursOf(tone);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(QLatin1String(c.background)));
        p.setColor(QPalette::WindowText, QColor(QLatin1String(c.text)));
        setPalette(p);
    }
    tone_ = tone;
    headline_->setText(headline);
    detail_->setText(detail);
    if (sound)
        beep(tone == Tone::Good || tone == Tone::Waiting ? 1 : 2);
}

QString CueBanner::headline() const
{
    return headline_->text();
}

QString CueBanner::detail() const
{
    return detail_->text();
}

void CueBanner::beep(int times)
{
    for (int i = 0; i < times; ++i) {
        ++beeps_;
        if (i == 0) {
            QApplication::beep();
            continue;
        }
        // Beeps given at once run together into one: the second follows a moment later.
        QTimer::singleShot(180 * i, this, [] { QApplication::beep(); });
    }
}
