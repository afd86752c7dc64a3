// Draws the program's toolbar and button images and its list icons, in 16 and 24
// pixels, and writes them under the names the windows use:
//
//     draw-images app/images
//
// writes app/images/16/wizins.gif, .../24/wizins.gif and so on;
//
//     draw-images --item-pictures tests/scenarios/pictures
//
// draws the item pictures the scenarios show beside the item list. The images are
// drawn here, from simple shapes in one palette, so that they stay consistent and
// legible at both sizes; the files are kept in the repository and built into the
// program (the display looks them up by name).
#include "GifWriter.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>
#include <string_view>
#include <vector>

namespace {

// One palette for every image.
const QColor ink(31, 58, 95);
const QColor blue(61, 124, 201);
const QColor lightBlue(170, 204, 240);
const QColor green(46, 155, 62);
const QColor red(200, 53, 46);
const QColor yellow(232, 184, 48);
const QColor paper(255, 255, 255);
const QColor grey(138, 143, 152);
const QColor lightGrey(214, 217, 222);

// Every image is drawn on a 24 by 24 grid and scaled to its size.
using Drawing = std::function<void(QPainter&)>;

QPen outline(double width = 1.4) {
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& fill = blue) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    p.setPen(outline());
    p.setBrush(fill);
    p.drawPath(path);
}

void up(QPainter& p, double top, double bottom) {
    triangle(p, {4.5, bottom}, {19.5, bottom}, {12, top});
}

void down(QPainter& p, double top, double bottom) {
    triangle(p, {4.5, top}, {19.5, top}, {12, bottom});
}

void bar(QPainter& p, double y) {
    p.setPen(outline());
    p.setBrush(blue);
    p.drawRect(QRectF(4.5, y, 15, 3));
}

void sheet(QPainter& p, QRectF r = QRectF(4.5, 2.5, 13, 18)) {
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(outline(1.2));
    p.setBrush(paper);
    p.drawPath(path);
    p.setPen(QPen(grey, 1.2));
    for (double y = r.top() + 6; y < r.bottom() - 2; y += 3)
        p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
}

void badge(QPainter& p, const QColor& colour, QPointF centre, double radius) {
    p.setPen(QPen(colour.darker(140), 1.2));
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
}

void tick(QPainter& p, const QColor& colour, double width, QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void cross(QPainter& p, const QColor& colour, double width, QRectF r) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

struct Image {
    const char* name;
    Drawing draw;
};

const std::vector<Image>& images() {
    static const std::vector<Image> all = {
        {"wizfirst.gif",
         [](QPainter& p) {
             bar(p, 3.5);
             up(p, 9, 20);
         }},
        {"wizpgup.gif",
         [](QPainter& p) {
             up(p, 3, 12);
             up(p, 11, 20);
         }},
        {"wizup.gif", [](QPainter& p) { up(p, 6, 17); }},
        {"wizdown.gif", [](QPainter& p) { down(p, 7, 18); }},
        {"wizpgdn.gif",
         [](QPainter& p) {
             down(p, 4, 13);
             down(p, 12, 21);
         }},
        {"wizlast.gif",
         [](QPainter& p) {
             down(p, 4, 15);
             bar(p, 17.5);
         }},
        {"wizfind.gif",
         [](QPainter& p) {
             p.setPen(QPen(ink, 3.2, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(14.5, 14.5), QPointF(20.5, 20.5));
             p.setPen(outline(1.6));
             p.setBrush(lightBlue);
             p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
             p.setPen(QPen(paper, 1.4, Qt::SolidLine, Qt::RoundCap));
             p.drawArc(QRectF(6, 6, 8, 8), 100 * 16, 70 * 16);
         }},
        {"wizmark.gif",
         [](QPainter& p) {
             p.setPen(outline(1.2));
             p.setBrush(paper);
             p.drawRect(QRectF(2.5, 4.5, 19, 15));
             p.setPen(Qt::NoPen);
             p.setBrush(lightBlue);
             p.drawRect(QRectF(3.2, 10, 17.6, 4.5));
             p.setPen(QPen(grey, 1.2));
             p.drawLine(QPointF(5, 7.5), QPointF(19, 7.5));
             p.drawLine(QPointF(5, 17), QPointF(19, 17));
             tick(p, green, 2.6, {6.5, 12}, {10, 15.5}, {19.5, 4});
         }},
        {"wizins.gif",
         [](QPainter& p) {
             sheet(p);
             badge(p, green, {17, 17}, 5.5);
             p.setPen(QPen(paper, 2.2, Qt::SolidLine, Qt::FlatCap));
             p.drawLine(QPointF(17, 13.8), QPointF(17, 20.2));
             p.drawLine(QPointF(13.8, 17), QPointF(20.2, 17));
         }},
        {"wizedit.gif",
         [](QPainter& p) {
             sheet(p, QRectF(3.5, 2.5, 12, 17));
             QPainterPath pencil;
             pencil.moveTo(20.5, 6.5);
             pencil.lineTo(23, 9);
             pencil.lineTo(12, 20);
             pencil.lineTo(8.5, 21.5);
             pencil.lineTo(10, 18);
             pencil.closeSubpath();
             p.setPen(outline(1.2));
             p.setBrush(yellow);
             p.drawPath(pencil);
             p.setBrush(red);
             p.drawPolygon(QPolygonF({{20.5, 6.5}, {23, 9}, {21.5, 10.5}, {19, 8}}));
         }},
        {"wizdel.gif",
         [](QPainter& p) {
             sheet(p);
             badge(p, red, {17, 17}, 5.5);
             cross(p, paper, 2.2, QRectF(14.6, 14.6, 4.8, 4.8));
         }},
        {"wizditto.gif",
         [](QPainter& p) {
             // An arrow turning back: the value entered before.
             QPainterPath arc;
             arc.moveTo(19, 18);
             arc.cubicTo(21, 10, 14, 5, 8, 8);
             p.setBrush(Qt::NoBrush);
             p.setPen(QPen(blue, 3, Qt::SolidLine, Qt::RoundCap));
             p.drawPath(arc);
             triangle(p, {3, 9}, {10, 3.5}, {10.5, 13});
             p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(4, 19.5), QPointF(8, 19.5));
             p.drawLine(QPointF(10, 19.5), QPointF(14, 19.5));
         }},
        {"wizhelp.gif",
         [](QPainter& p) {
             badge(p, blue, {12, 12}, 9.5);
             QPainterPath mark;
             mark.moveTo(8.5, 9.5);
             mark.cubicTo(8.5, 5.5, 15.5, 5.5, 15.5, 9.5);
             mark.cubicTo(15.5, 12, 12, 12, 12, 14.5);
             p.setBrush(Qt::NoBrush);
             p.setPen(QPen(paper, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
             p.drawPath(mark);
             p.setPen(Qt::NoPen);
             p.setBrush(paper);
             p.drawEllipse(QPointF(12, 18), 1.6, 1.6);
         }},
        {"wizcncl.gif",
         [](QPainter& p) {
             badge(p, red, {12, 12}, 9.5);
             cross(p, paper, 2.8, QRectF(8, 8, 8, 8));
         }},
        {"wizok.gif",
         [](QPainter& p) {
             tick(p, green, 4, {4, 12.5}, {9.5, 18.5}, {20.5, 5});
         }},
        {"wizprn.gif",
         [](QPainter& p) {
             p.setPen(outline(1.2));
             p.setBrush(paper);
             p.drawRect(QRectF(6.5, 2.5, 11, 8));
             p.setBrush(lightGrey);
             p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 1.5, 1.5);
             p.setBrush(paper);
             p.drawRect(QRectF(6.5, 15.5, 11, 6));
             p.setPen(QPen(grey, 1));
             p.drawLine(QPointF(8.5, 18), QPointF(15.5, 18));
             p.setPen(Qt::NoPen);
             p.setBrush(green);
             p.drawEllipse(QPointF(18.5, 12), 1.2, 1.2);
         }},
        {"eip.ico",
         [](QPainter& p) {
             // The program's own icon: an invoice and a coin.
             p.setPen(QPen(blue.darker(130), 1.2));
             p.setBrush(blue);
             p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 4, 4);
             sheet(p, QRectF(5.5, 3.5, 11, 16));
             badge(p, yellow, {16.5, 16.5}, 4.5);
             p.setPen(QPen(yellow.darker(160), 1.2));
             p.drawLine(QPointF(16.5, 14), QPointF(16.5, 19));
         }},
        {"checkoff.ico",
         [](QPainter& p) {
             p.setPen(outline(1.4));
             p.setBrush(paper);
             p.drawRect(QRectF(4.5, 4.5, 15, 15));
         }},
        {"checkon.ico",
         [](QPainter& p) {
             p.setPen(outline(1.4));
             p.setBrush(paper);
             p.drawRect(QRectF(4.5, 4.5, 15, 15));
             tick(p, green, 2.8, {7.5, 12}, {11, 15.5}, {17, 8});
         }},
    };
    return all;
}

QImage render(const Image& image, int pixels) {
    QImage canvas(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / 24.0, pixels / 24.0);
    image.draw(painter);
    painter.end();
    return canvas.convertToFormat(QImage::Format_ARGB32);
}

// Pictures of stock items for the scenarios that show an item's picture beside the list,
// drawn on the same 24 by 24 grid and written at 96 pixels on a white ground.
std::vector<Image> itemPictures() {
    std::vector<Image> all = {
        {"hammer.gif",
         [](QPainter& p) {
             p.setPen(outline(1.2));
             p.setBrush(QColor(176, 122, 70));
             p.drawRoundedRect(QRectF(10.5, 8, 3.5, 14), 1.2, 1.2);
             p.setBrush(grey);
             QPainterPath head;
             head.moveTo(4, 4.5);
             head.lineTo(16, 4.5);
             head.cubicTo(19, 4.5, 21, 6, 21.5, 9);
             head.lineTo(16, 8.5);
             head.lineTo(4, 8.5);
             head.closeSubpath();
             p.drawPath(head);
         }},
        {"screws.gif",
         [](QPainter& p) {
             for (double x : {6.0, 12.0, 18.0}) {
                 p.setPen(outline(1.1));
                 p.setBrush(lightGrey);
                 p.drawEllipse(QRectF(x - 3, 3.5, 6, 3));
                 triangle(p, {x - 1.8, 6.5}, {x + 1.8, 6.5}, {x, 20.5}, lightGrey);
                 p.setPen(QPen(grey, 0.8));
                 for (double y = 9; y < 18; y += 2.2)
                     p.drawLine(QPointF(x - 1.4 + (y - 6.5) / 10, y),
                                QPointF(x + 1.4 - (y - 6.5) / 10, y + 1));
             }
         }},
    };
    return all;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc == 3 && std::string_view(argv[1]) == "--item-pictures") {
        QDir folder(QString::fromLocal8Bit(argv[2]));
        folder.mkpath(".");
        for (const Image& image : itemPictures()) {
            QImage picture(96, 96, QImage::Format_ARGB32);
            picture.fill(Qt::white);
            QPainter painter(&picture);
            painter.drawImage(0, 0, render(image, 96));
            painter.end();
            if (!GifWriter::write(picture, folder.filePath(image.name))) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(folder.filePath(image.name)));
                return 1;
            }
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-images <folder>\n"
                             "       draw-images --item-pictures <folder>\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    for (int pixels : {16, 24}) {
        QString sub = QString::number(pixels);
        folder.mkpath(sub);
        for (const Image& image : images()) {
            QString path = folder.filePath(sub + "/" + image.name);
            QImage picture = render(image, pixels);
            bool ok;
            if (path.endsWith(".ico")) {
                QImageWriter writer(path, "ico");
                ok = writer.write(picture);
            } else {
                ok = GifWriter::write(picture, path);
            }
            if (!ok) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
