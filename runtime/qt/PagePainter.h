#pragma once

#include "runtime/report/PageFile.h"
#include "runtime/report/PrintService.h"

#include <QRectF>

class QPainter;
class QPixmap;
class QPrinter;

namespace host::qt {

// Draws a report's page file with Qt: on the screen (the preview's page images), on the
// printer and into a PDF, all from the same marks. Texts stay texts (a PDF's text can be
// searched and copied), in the faces the report names or their stand-ins here.
class PagePainter {
public:
    // Draws the page scaled into `target` (device units of the painter).
    static void paint(QPainter& painter, const PageDrawing& page, const QRectF& target);
    // The page drawn at `width` by `height` pixels on white; a page that cannot be read
    // gives a grey pixmap with the reason written on it.
    static QPixmap render(const std::string& pageFile, int width, int height);
};

// The Qt display's printing: to the printer the printer set-up chose (the set-up dialog
// shown first when asked), or into PDF files.
class QtPageOutput : public PageOutput {
public:
    // `printer`: the printer the display's set-up dialog configures; null makes one.
    explicit QtPageOutput(QPrinter* printer = nullptr);
    ~QtPageOutput() override;

    PrintResult print(const std::vector<std::string>& pages, std::string_view jobName,
                      bool askPrinter) override;
    PrintResult savePdf(const std::vector<std::string>& pages, const std::string& path) override;

private:
    QPrinter* printer_;
    std::unique_ptr<QPrinter> own_;
};

} // namespace host::qt
