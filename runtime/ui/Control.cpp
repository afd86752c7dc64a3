#include "runtime/ui/Control.h"

#include "runtime/base/Queue.h"

#include <algorithm>

namespace host {

namespace {
// Height of one list row in window units, when the definition does not say how many
// rows a list shows.
constexpr int rowHeight = 10;
} // namespace

Control::Control(const ControlDefinition& d, unsigned revision)
    : number_(d.number), kind_(d.kind), name_(d.name), parent_(d.parent), revision_(revision),
      text_(d.text), rect_(d.at), font_(d.font), picture_(d.picture), statusText_(d.statusText),
      tip_(d.tip), icon_(d.icon), image_(d.image), key_(d.key), standard_(d.standard),
      flags_(d.flags), useName_(d.use), formatText_(d.format), value_(d.value),
      falseValue_(d.falseValue), checked_(d.flags.checked), items_(d.items), step_(d.step) {
    if (d.hasRange) {
        rangeLow_ = d.rangeLow;
        rangeHigh_ = d.rangeHigh;
    } else if (kind_ == ControlKind::Spin) {
        rangeLow_ = Decimal(-2147483647LL);
        rangeHigh_ = Decimal(2147483647LL);
    } else if (kind_ == ControlKind::Progress) {
        rangeHigh_ = 100;
    }
    if (kind_ == ControlKind::Check && value_.empty()) {
        value_ = "1";
        falseValue_ = "0";
    }
    if (kind_ == ControlKind::Sheet)
        selected_ = 1; // the first tab shows
    if (kind_ == ControlKind::DropList || kind_ == ControlKind::Combo)
        dropCount_ = d.items > 0 ? d.items : 8;
    // A list or drop list names a queue in `from`, or lists its choices with "|".
    if (!d.from.empty()) {
        bool isChoices = d.from.find('|') != std::string::npos ||
                         (kind_ != ControlKind::List && d.from.find(':') == std::string::npos);
        if (kind_ == ControlKind::List)
            isChoices = d.from.find('|') != std::string::npos;
        if (isChoices) {
            std::size_t start = 0;
            while (true) {
                std::size_t bar = d.from.find('|', start);
                choices_.push_back(d.from.substr(start, bar == std::string::npos ? std::string::npos
                                                                                 : bar - start));
                if (bar == std::string::npos)
                    break;
                start = bar + 1;
            }
        } else {
            queueName_ = d.from;
        }
    }
    if (!formatText_.empty())
        format_ = ListFormat::parse(formatText_);
}

int Control::caret() const {
    int end = static_cast<int>(contents_.size()) + 1;
    return caret_ <= 0 || caret_ > end ? end : caret_;
}

int Control::itemsVisible() const {
    if (items_ > 0)
        return items_;
    // Whole rows of ten units under the header's lines; the Qt display sizes its rows so
    // that exactly these fit.
    int header = format_ ? format_->headerLines() : 0;
    return std::max(rect_.height / rowHeight - header, 1);
}

int Control::columnEditor(int column) const {
    auto it = columnEditors_.find(column);
    return it == columnEditors_.end() ? 0 : it->second;
}

int Control::columnTextColour(int column) const {
    auto it = columnColours_.find(column);
    return it == columnColours_.end() ? -1 : it->second;
}

std::size_t Control::rowCount() const {
    if (queue_)
        return queue_->count();
    return choices_.size();
}

std::vector<ListCell> Control::formattedRow(std::size_t row) const {
    if (row < 1 || row > rowCount())
        return {};
    if (!queue_)
        return {ListCell{choices_[row - 1], 0}};
    if (format_)
        return format_->formatRow(*queue_, row);
    TypedRef first = queue_->entryField(row, 1);
    return {ListCell{first ? std::string(clipped(first.text())) : std::string(), 0}};
}

std::vector<std::vector<ListCell>> Control::formattedRows() const {
    std::vector<std::vector<ListCell>> rows;
    std::size_t n = rowCount();
    rows.reserve(n);
    for (std::size_t row = 1; row <= n; ++row)
        rows.push_back(formattedRow(row));
    return rows;
}

int Control::alertAt(int position) const {
    auto it = alerts_.find(position);
    return it == alerts_.end() ? 0 : it->second;
}

bool Control::isAlerted(int keyCode) const {
    if (keyCode == 0)
        return false;
    return std::any_of(alerts_.begin(), alerts_.end(),
                       [keyCode](auto& a) { return a.second == keyCode; });
}

} // namespace host
