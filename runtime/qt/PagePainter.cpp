#include "runtime/qt/PagePainter.h"

#include "runtime/qt/FontResolver.h"
#include "runtime/qt/ImageLibrary.h"
#include "runtime/ui/Desktop.h"

#include <QFile>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QPrinter>

namespace host::qt {

namespace {

QColor colour(int rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QImage pictureOf(const std::string& file) {
    QImageReader reader(QString::fromStdString(file));
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        image = ImageLibrary::pixmap(file, 24).toImage();
    return image;
}

// The pages that can be read, and a message naming those that cannot.
std::vector<PageDrawing> readPages(const std::vector<std::string>& files, std::string& problems) {
    std::vector<PageDrawing> pages;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string error;
        auto page = PageFile::read(files[i], &error);
        if (page)
            pages.push_back(std::move(*page));
        else
            problems +=
                (problems.empty() ? "" : "|") + std::string("A page was left out: ") + error;
    }
    return pages;
}

// Draws the pages one after another on a printer or PDF writer.
int paintPages(QPagedPaintDevice& device, const std::vector<PageDrawing>& pages) {
    QPainter painter;
    int painted = 0;
    for (const PageDrawing& page : pages) {
        QPageSize size(QSizeF(page.width / 1000.0, page.height / 1000.0), QPageSize::Inch);
        device.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        if (painted == 0) {
            if (!painter.begin(&device))
                return -1;
        } else {
            device.newPage();
        }
        QRectF target(0, 0, page.width / 1000.0 * device.logicalDpiX(),
                      page.height / 1000.0 * device.logicalDpiY());
        PagePainter::paint(painter, page, target);
        ++painted;
    }
    if (painter.isActive())
        painter.end();
    return painted;
}

} // namespace

void PagePainter::paint(QPainter& painter, const PageDrawing& page, const QRectF& target) {
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / page.width, target.height() / page.height);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont base = FontResolver::windowFont({});
    for (const PageMark& mark : page.marks) {
        QRectF box(mark.x, mark.y, mark.w, mark.h);
        switch (mark.kind) {
        case PageMark::Text: {
            QFont font = FontResolver::resolve(mark.font, base);
            // Points to thousandths of an inch, the page's own unit.
            int points = mark.font.size > 0 ? mark.font.size : 10;
            font.setPixelSize(std::max(1, points * 1000 / 72));
            painter.setFont(font);
            painter.setPen(Qt::black);
            int align = mark.align == 'R'   ? Qt::AlignRight
                        : mark.align == 'C' ? Qt::AlignHCenter
                                            : Qt::AlignLeft;
            painter.drawText(box, align | Qt::AlignVCenter | Qt::TextDontClip,
                             QString::fromStdString(mark.text));
            break;
        }
        case PageMark::Line:
            painter.setPen(QPen(Qt::black, std::max(mark.lineWidth, 1)));
            painter.drawLine(QPointF(mark.x, mark.y), QPointF(mark.x + mark.w, mark.y + mark.h));
            break;
        case PageMark::Box:
            painter.setPen(mark.lineWidth > 0 ? QPen(Qt::black, mark.lineWidth) : QPen(Qt::NoPen));
            painter.setBrush(mark.fill >= 0 ? QBrush(colour(mark.fill)) : QBrush(Qt::NoBrush));
            painter.drawRect(box);
            painter.setBrush(Qt::NoBrush);
            break;
        case PageMark::Image: {
            QImage image = pictureOf(mark.text);
            if (image.isNull())
                break;
            QSizeF fitted = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
            QRectF place(box.x() + (box.width() - fitted.width()) / 2,
                         box.y() + (box.height() - fitted.height()) / 2, fitted.width(),
                         fitted.height());
            painter.drawImage(place, image);
            break;
        }
        }
    }
    painter.restore();
}

QPixmap PagePainter::render(const std::string& pageFile, int width, int height) {
    QPixmap pixmap(std::max(width, 1), std::max(height, 1));
    std::string error;
    auto page = PageFile::read(pageFile, &error);
    QPainter painter(&pixmap);
    if (!page) {
        pixmap.fill(QColor(0x80, 0x80, 0x80));
        painter.setPen(Qt::white);
        painter.drawText(pixmap.rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromStdString("This page cannot be shown: " + error));
        return pixmap;
    }
    pixmap.fill(Qt::white);
    paint(painter, *page, QRectF(0, 0, width, height));
    return pixmap;
}

QtPageOutput::QtPageOutput(QPrinter* printer) : printer_(printer) {}

QtPageOutput::~QtPageOutput() = default;

PrintResult QtPageOutput::print(const std::vector<std::string>& files, std::string_view jobName,
                                bool askPrinter) {
    if (askPrinter && !host::printerSetup())
        return {false, {}, 0};
    if (!printer_) {
        own_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_ = own_.get();
    }
    std::string problems;
    std::vector<PageDrawing> pages = readPages(files, problems);
    if (pages.empty())
        return {false, problems.empty() ? "There is no page to print." : problems, 0};
    printer_->setDocName(QString::fromUtf8(jobName.data(), static_cast<qsizetype>(jobName.size())));
    int painted = paintPages(*printer_, pages);
    if (painted < 0 || printer_->printerState() == QPrinter::Error)
        return {false,
                "The printer " + printer_->printerName().toStdString() + " refused the job." +
                    (problems.empty() ? "" : "|" + problems),
                0};
    return {true, problems, painted};
}

PrintResult QtPageOutput::savePdf(const std::vector<std::string>& files, const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {false,
                "The PDF file " + path + " cannot be written: " + file.errorString().toStdString(),
                0};
    std::string problems;
    std::vector<PageDrawing> pages = readPages(files, problems);
    if (pages.empty()) {
        file.close();
        file.remove();
        return {false, problems.empty() ? "There is no page to write." : problems, 0};
    }
    QPdfWriter writer(&file);
    writer.setResolution(1200);
    writer.setCreator("Example EIP Application");
    int painted = paintPages(writer, pages);
    file.close();
    if (painted < 0)
        return {false, "The PDF file " + path + " cannot be written.", 0};
    return {true, problems, painted};
}

} // namespace host::qt
