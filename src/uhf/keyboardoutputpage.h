#pragma once

#include "pagekit/page.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVector>

// "USB reader intelligent setting  ": how a keyboard-output reader types card numbers, its
// reading mode, factory settings, version and voice.
class KeyboardOutputPage : public Page
{
    Q_OBJECT
public:
    explicit KeyboardOutputPage(PageHost &host, QWidget *parent = nullptr);
    QString caption() const override { return QStringLiteral("USB reader intelligent setting  "); }

    void Button24Click(); // Set
    void Button25Click(); // Read
    void Button27Click(); // Active reading
    void Button28Click(); // Passtive reading
    void Button57Click(); // Fatory default
    void Button63Click(); // Version number
    void Button64Click(); // Close voice / Open voice

    // The format code of the selected radio button (throws UserError for a bad byte count).
    int formatCode() const;

    QVector<QRadioButton *> formats;
    QCheckBox *enterBox, *semicolonBox, *questionMarkBox, *commaBox, *rssiBox;
    QLineEdit *byteCountEdit;
    QPushButton *setFormatButton, *readFormatButton, *activeModeButton, *passiveModeButton, *factoryDefaultButton,
        *versionButton, *voiceButton;

private:
    void setReadingMode(bool active, const QString &ok, const QString &fail);
    void log(const QString &line);

protected:
    void build() override;
};
