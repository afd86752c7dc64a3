// Renders a window of a window-definition file to a PNG image, without a display:
//
//     QT_QPA_PLATFORM=offscreen render-window FILE [WINDOW] OUT.png [--rows N] [--frame NAME]
//                                             [--size WxH]
//
// FILE is a window-definition text; WINDOW names one of its windows (the first when
// left out). Lists and drop lists bound to queues are filled with N made-up rows
// (default 12) so that their columns, groups and icons show, and spin boxes show their
// range's low end moved three steps up, so that their places show; an immediate list, which a
// program pages, holds just the page of them that it shows, with its scroll bar on. With
// --frame, the named window of the same file is opened first as the application frame
// and WINDOW inside it, as the user would see them. With --size, the window is then
// resized to W by H window units as a user would, and its lists grow or shrink with it
// (as the program's window resizer would make them). Exit code 0 when the image was
// written.
#include "runtime/qt/QtDisplay.h"
#include "runtime/qt/SampleQueue.h"
#include "runtime/ui/Control.h"
#include "runtime/ui/Desktop.h"
#include "runtime/ui/SpinValue.h"
#include "runtime/ui/UserInput.h"
#include "runtime/ui/Window.h"
#include "runtime/ui/WindowDefinitionParser.h"

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string file;
    std::string window;
    std::string output;
    std::string frame;
    int rows = 12;
    int width = 0; // --size
    int height = 0;
};

bool parseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc)
            options.rows = std::max(0, std::atoi(argv[++i]));
        else if (arg == "--frame" && i + 1 < argc)
            options.frame = argv[++i];
        else if (arg == "--size" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2 ||
                options.width <= 0 || options.height <= 0)
                return false;
        } else
            positional.push_back(arg);
    }
    if (positional.size() == 2) {
        options.file = positional[0];
        options.output = positional[1];
    } else if (positional.size() == 3) {
        options.file = positional[0];
        options.window = positional[1];
        options.output = positional[2];
    } else {
        return false;
    }
    return true;
}

const host::WindowDefinition* find(const std::vector<host::WindowDefinition>& windows,
                                   const std::string& name) {
    if (name.empty())
        return windows.empty() ? nullptr : &windows.front();
    for (const auto& w : windows)
        if (host::equalIgnoringCase(w.name, name))
            return &w;
    return nullptr;
}

bool isPaged(const host::Control& c) {
    return c.kind() == host::ControlKind::List && c.flags().immediate;
}

std::unique_ptr<host::Queue> sampleRows(const host::Control& c, int rows) {
    // An immediate list holds only the page it shows.
    std::size_t count =
        static_cast<std::size_t>(isPaged(c) ? std::min(rows, c.itemsVisible()) : rows);
    return c.format() ? host::qt::SampleQueue::make(*c.format(), count)
                      : host::qt::SampleQueue::makeTexts(count);
}

// Opens a window on the current logical thread with made-up rows in its lists, and
// runs its loop until the desktop goes away.
void showWindow(std::shared_ptr<const host::WindowDefinition> definition, int rows) {
    host::Window window(definition);
    std::vector<std::unique_ptr<host::Queue>> queues;
    for (host::Control* c : window.controls()) {
        if (c->kind() == host::ControlKind::Spin) {
            host::Decimal value = c->rangeLow() + c->step() * host::Decimal(3);
            window.setProperty(c->number(), host::Property::Contents,
                               host::spinText(*c, host::Value(host::fitToSpin(*c, value))));
            continue;
        }
        bool listed = c->kind() == host::ControlKind::List ||
                      c->kind() == host::ControlKind::DropList ||
                      c->kind() == host::ControlKind::Combo;
        if (!listed || !c->choices().empty())
            continue;
        auto queue = sampleRows(*c, rows);
        window.setQueue(c->number(), queue.get());
        if (c->kind() == host::ControlKind::List) {
            window.setProperty(c->number(), host::Property::Icon, "~CheckOff.ico", 1);
            window.setProperty(c->number(), host::Property::Icon, "~CheckOn.ICO", 2);
            if (rows >= 3)
                window.setProperty(c->number(), host::Property::Selected, 3);
            if (isPaged(*c))
                window.setProperty(c->number(), host::Property::VScroll, 1);
        }
        queues.push_back(std::move(queue));
    }
    window.open();
    host::Rect before = window.rect();
    while (window.nextEvent()) {
        if (window.currentEvent() == host::EventKind::Sized) {
            // A crude window resizer: the lists, and the sheets around them, take the new
            // room; the controls below the lists move down with the window's bottom.
            int wider = window.rect().width - before.width;
            int taller = window.rect().height - before.height;
            before = window.rect();
            int listsEnd = 0;
            for (const host::Control* c : window.controls())
                if (c->kind() == host::ControlKind::List && c->rect().height > 0)
                    listsEnd = std::max(listsEnd, c->rect().y + c->rect().height);
            for (host::Control* c : window.controls()) {
                const host::Rect r = c->rect();
                if (listsEnd == 0 || r.width <= 0 || r.height <= 0)
                    continue;
                bool grows = c->kind() == host::ControlKind::List ||
                             c->kind() == host::ControlKind::Sheet ||
                             c->kind() == host::ControlKind::Tab;
                if (grows && r.y + r.height >= listsEnd) {
                    window.setProperty(c->number(), host::Property::Width, r.width + wider);
                    window.setProperty(c->number(), host::Property::Height, r.height + taller);
                } else if (r.y >= listsEnd) {
                    window.setProperty(c->number(), host::Property::Y, r.y + taller);
                }
                if (isPaged(*c) && c->queue()) {
                    auto queue = sampleRows(*c, rows);
                    window.setQueue(c->number(), queue.get());
                    queues.push_back(std::move(queue));
                }
            }
        }
        window.endCycle(host::CycleEnd::DefaultAction);
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArguments(argc, argv, options)) {
        std::fprintf(stderr, "usage: render-window FILE [WINDOW] OUT.png [--rows N] "
                             "[--frame NAME] [--size WxH]\n");
        return 2;
    }
    QApplication application(argc, argv);
    std::ifstream in(options.file);
    if (!in) {
        std::fprintf(stderr, "render-window: cannot read %s\n", options.file.c_str());
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    auto parsed = host::WindowDefinitionParser::parse(text.str(), "render");
    if (!parsed.ok()) {
        std::fprintf(stderr, "render-window: %s: %s\n", options.file.c_str(),
                     parsed.message().c_str());
        return 1;
    }
    const host::WindowDefinition* wanted = find(parsed.windows, options.window);
    if (!wanted) {
        std::fprintf(stderr, "render-window: no window %s in %s\n", options.window.c_str(),
                     options.file.c_str());
        return 1;
    }
    const host::WindowDefinition* frame = nullptr;
    if (!options.frame.empty() && !(frame = find(parsed.windows, options.frame))) {
        std::fprintf(stderr, "render-window: no frame %s in %s\n", options.frame.c_str(),
                     options.file.c_str());
        return 1;
    }

    host::Desktop desktop;
    desktop.install();
    host::qt::QtDisplay display(desktop);
    int rows = options.rows;
    if (frame) {
        auto frameDefinition = std::make_shared<const host::WindowDefinition>(*frame);
        desktop.startThread([frameDefinition, rows] { showWindow(frameDefinition, rows); });
        display.runNow();
    }
    auto definition = std::make_shared<const host::WindowDefinition>(*wanted);
    desktop.startThread([definition, rows] { showWindow(definition, rows); });
    display.runNow();
    if (options.width > 0) {
        host::Window* window = desktop.activeWindow();
        if (!window || !host::UserInput(desktop).resize(*window, options.width, options.height)) {
            std::fprintf(stderr, "render-window: the window cannot be resized\n");
            desktop.scheduler().cancelAll();
            return 1;
        }
        display.runNow();
    }
    // Let Qt lay the widgets out and paint them before taking the picture.
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    display.runNow();
    QApplication::processEvents();

    QImage image = frame ? display.grabScreen() : display.grab(desktop.activeWindow()->id());
    bool saved = !image.isNull() && image.save(QString::fromStdString(options.output), "PNG");
    desktop.scheduler().cancelAll();
    if (!saved) {
        std::fprintf(stderr, "render-window: cannot write %s\n", options.output.c_str());
        return 1;
    }
    return 0;
}
