#pragma once

#include <QDialog>
#include <QImage>

// The card memory structure window: one picture of a UHF tag's memory banks.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    // The picture stored in the program, decoded with libjpeg.
    static QImage picture();
};

// Decodes a JPEG with libjpeg; a null image when the data is not a JPEG.
QImage decodeJpeg(const QByteArray &data);
