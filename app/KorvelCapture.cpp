// The main window: capturing, saving and printing a view's picture.

#include "app/Korvel.h"
#include "app/KorvelParts.h"

// ------------------------------------------------------- capture and print

QString Korvel::captureFileName(const QString& folder, const QDateTime& at, int channel) {
    const QDate day = at.date();
    const QTime time = at.time();
    const int date = day.year() * 10000 + day.month() * 100 + day.day();
    const int clock = time.hour() * 10000 + time.minute() * 100 + time.second();
    return QString("%1/%2%3_ch%4.png")
        .arg(folder)
        .arg(date)
        .arg(clock)
        .arg(channel + 1, 2, 10, QChar('0'));
}

QImage Korvel::grabWithPicture(QWidget* widget) {
    // A grab renders a GL view from its framebuffer, so the picture and the
    // bars over it are both in the image.
    return widget->grab().toImage();
}

bool Korvel::saveCapture(QWidget* widget, const QString& path) {
    return widget != nullptr && grabWithPicture(widget).save(path, "PNG");
}

void Korvel::slotCaptureClicked(QWidget* _frame, GLWidget* _widget) {
    QDateTime at = QDateTime::currentDateTime();
    IDisplayPage* page = pageOf(_frame);
    if (page == nullptr) {
        page = m_currentPage;
    }
    QDateTime playing;
    QDateTime buffered;
    if (page != nullptr && page->currentDateTime(playing) && playing.isValid()) {
        at = playing;
    } else if (_widget != nullptr && _widget->dateTimeOf(0, buffered) && buffered.isValid()) {
        at = buffered;
    }
    const int channel = _widget != nullptr ? _widget->channelOf(0) : 0;
    const QString folder = g_config.capturePath();
    QWidget* source = _widget != nullptr ? static_cast<QWidget*>(_widget) : this;
    // A second capture within the same second gets a name of its own.
    const QString written =
        captureFiles::ensureFolder(folder)
            ? captureFiles::saveUnique(grabWithPicture(source), captureFileName(folder, at, channel))
            : QString();
    if (!written.isEmpty()) {
        QMessageBox::information(this, tr("Capture"),
                                 tr("Capture image success ") + "\n" +
                                     QDir::toNativeSeparators(written),
                                 QMessageBox::Ok);
    } else {
        QMessageBox::warning(this, tr("Save Image"),
                             tr("     Error capture image.     ") + "\n" +
                                 QDir::toNativeSeparators(folder),
                             QMessageBox::Ok);
    }
}

QString Korvel::frameFileName(const QString& folder, const QDateTime& at, int channel) {
    QString name = captureFileName(folder, at, channel);
    name.insert(name.size() - 4, "_frame");
    return name;
}

void Korvel::slotSaveFrameClicked(QWidget* _frame, GLWidget* _widget) {
    if (_widget == nullptr) {
        return;
    }
    // Only a recorded picture has a time; the view's placeholder has none.
    QDateTime at;
    const QImage picture = _widget->pictureImage(0);
    if (picture.isNull() || !_widget->dateTimeOf(0, at) || !at.isValid()) {
        QMessageBox::warning(this, tr("Save frame"), tr("The view shows no picture yet."),
                             QMessageBox::Ok);
        return;
    }
    (void)_frame;
    const QString folder = g_config.capturePath();
    const QString written =
        captureFiles::ensureFolder(folder)
            ? captureFiles::saveUnique(picture,
                                       frameFileName(folder, at, _widget->channelOf(0)))
            : QString();
    if (!written.isEmpty()) {
        QMessageBox::information(this, tr("Save frame"),
                                 tr("The picture was saved:") + "\n" +
                                     QDir::toNativeSeparators(written),
                                 QMessageBox::Ok);
    } else {
        QMessageBox::warning(this, tr("Save frame"),
                             tr("The picture could not be saved in:") + "\n" +
                                 QDir::toNativeSeparators(folder),
                             QMessageBox::Ok);
    }
}

void Korvel::slotPrintClicked(QWidget*, GLWidget* _widget) {
    m_printTarget = _widget != nullptr ? static_cast<QWidget*>(_widget) : this;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPointer<QPrintPreviewDialog> preview = new QPrintPreviewDialog(printer.get());
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->setWindowFlags(Qt::Window);
    preview->setStyleSheet(QString());
    connect(preview.data(), &QPrintPreviewDialog::paintRequested, this, &Korvel::printPreview);
    preview->exec();
    // Gone before the printer it draws on.
    delete preview.data();
}

void Korvel::printPreview(QPrinter* printer) {
    if (printer == nullptr || !printer->isValid() || !m_printTarget) {
        return;
    }
    QWidget* target = m_printTarget.data();
    if (target->width() <= 0 || target->height() <= 0) {
        return;
    }
    const QImage shot = grabWithPicture(target);
    QPainter painter;
    if (!painter.begin(printer)) {
        return;
    }
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    const double sx = double(page.width()) / target->width();
    const double sy = double(page.height()) / target->height();
    const double scale = std::min(sx, sy);
    painter.scale(scale, scale);
    painter.drawImage(QRect(QPoint(0, 0), target->size()), shot);
    painter.end();
}
