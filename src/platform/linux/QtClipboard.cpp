#include "platform/linux/QtClipboard.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QStandardPaths>
#include <QWidget>

#include <cstring>

namespace platform::linux_ {

bool QtClipboard::SetText(Handle /*owner*/, const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text), QClipboard::Clipboard);
    return true;
}

bool QtClipboard::SetImage(Handle /*owner*/, int width, int height, const std::vector<std::uint32_t>& pixels) {
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height) return false;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) row[x] = 0xFF000000u | pixels[static_cast<std::size_t>(y) * width + x];
    }
    QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
    return true;
}

bool QtDialogs::GetSaveFileName(SaveFileName& request) {
    QWidget* owner = QWidget::find(static_cast<WId>(request.owner));
    const QString folder = QString::fromStdString(request.initialDir);
    QFileDialog dialog(owner, QString::fromStdString(request.title), folder,
                       QString::fromStdString(request.filterName + " (" + request.filterPattern + ")"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    dialog.selectFile(QDir(folder).filePath(QString::fromStdString(request.file)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    request.file = dialog.selectedFiles().first().toStdString();
    return true;
}

std::string QtDialogs::PicturesFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return (!pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath()).toStdString();
}

}  // namespace platform::linux_
