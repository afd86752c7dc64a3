#include "runtime/qt/SampleQueue.h"

#include "runtime/base/Clock.h"
#include "runtime/base/RecordLayout.h"
#include "runtime/pictures/Picture.h"

#include <string>

namespace host::qt {

namespace {

const char* const words[] = {"Acme Supplies", "Blue Harbour", "Cedar Lane",  "Delta Parts",
                             "Evergreen",     "Fox & Sons",   "Granite Co.", "Hilltop Farm"};

FieldType typeFor(const ListColumn& column) {
    auto picture = Picture::parse(column.picture);
    if (!picture)
        return FieldType::text(20);
    switch (picture->kind()) {
    case 'n':
    case 'e':
        return picture->places() > 0 ? FieldType::decimal(11, picture->places())
                                     : FieldType::longInteger();
    case 'd':
        return FieldType::longInteger();
    case 't':
        return FieldType::longInteger();
    default:
        return FieldType::text(std::clamp(picture->width(), 1, 255));
    }
}

Value sampleValue(const ListColumn& column, std::size_t row) {
    auto picture = Picture::parse(column.picture);
    char kind = picture ? picture->kind() : 's';
    long long n = static_cast<long long>(row);
    switch (kind) {
    case 'n':
    case 'e':
        if (picture->places() > 0)
            return Value(Decimal::fromUnits(n * 725 % 100000 + 199, 2));
        return Value(n);
    case 'd':
        return Value(static_cast<long long>(dayNumber(2024, 3, 15)) - n % 400);
    case 't':
        return Value(n * 6100 % 8640000 + 1);
    case 'p':
        return Value(std::to_string(5550100000LL + n % 10000));
    default: {
        std::string text = std::string(words[row % 8]) + " " + std::to_string(row);
        return Value(text);
    }
    }
}

} // namespace

std::unique_ptr<Queue> SampleQueue::make(const ListFormat& format, std::size_t rows) {
    auto layout = std::make_shared<RecordLayout>();
    for (const ListColumn& column : format.columns()) {
        layout->addField("COL" + std::to_string(layout->fieldCount() + 1), typeFor(column));
        if (column.icon)
            layout->addField("ICON" + std::to_string(layout->fieldCount() + 1),
                             FieldType::shortInteger());
    }
    if (layout->fieldCount() == 0)
        layout->addField("COL1", FieldType::text(20));
    auto queue = std::make_unique<Queue>(layout);
    for (std::size_t row = 1; row <= rows; ++row) {
        int field = 1;
        for (const ListColumn& column : format.columns()) {
            queue->buffer().field(field++).assign(sampleValue(column, row));
            if (column.icon)
                queue->buffer().field(field++).assign(Value(static_cast<int>(row % 2) + 1));
        }
        queue->add();
    }
    return queue;
}

std::unique_ptr<Queue> SampleQueue::makeTexts(std::size_t rows, int width) {
    auto layout = std::make_shared<RecordLayout>();
    layout->addField("TEXT", FieldType::text(width));
    auto queue = std::make_unique<Queue>(layout);
    for (std::size_t row = 1; row <= rows; ++row) {
        queue->buffer().field(1).assign(Value(std::string(words[row % 8])));
        queue->add();
    }
    return queue;
}

} // namespace host::qt
