#include "ui/tform3.h"

#include "pagekit/widgets.h"

#include <QFile>
#include <QVBoxLayout>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace
{

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void onError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) {}

} // namespace

namespace
{

// Only trivial objects live in this frame: libjpeg reports errors by longjmp back to it.
bool decodeInto(const unsigned char *data, unsigned long size, QImage *out)
{
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *out = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QImage decodeJpeg(const QByteArray &data)
{
    QImage image;
    if (data.isEmpty() || !decodeInto(reinterpret_cast<const unsigned char *>(data.constData()),
                                      static_cast<unsigned long>(data.size()), &image))
        return {};
    return image;
}

// The resources live in a static library, so they must be registered by hand.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

QImage TForm3::picture()
{
    static const bool once = (registerResources(), true);
    (void)once;
    QFile f(QStringLiteral(":/card_memory.jpg"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return decodeJpeg(f.readAll());
}

TForm3::TForm3(QWidget *parent) : QDialog(parent)
{
    ui::fixedWindow(this, "Form3", QStringLiteral("Card memory structure"), 672, 576);
    auto *image = ui::label("Image1", QString(), this);
    image->setFixedSize(664, 547);
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(QPixmap::fromImage(picture()));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(image);
}
