#include "framework/data/FieldPairList.h"

#include "framework/data/PairWalk.h"

namespace framework {

void FieldPairList::Setup() {
    Teardown();
}

void FieldPairList::Teardown() {
    LIST.clear();
}

void FieldPairList::PairUp(host::TypedRef left, host::TypedRef right) {
    LIST.push_back({left, right, nullptr});
}

void FieldPairList::PairWithCopy(host::TypedRef field) {
    auto copy = std::make_unique<host::Variable>(field.type());
    copy->assign(field.value());
    host::TypedRef right = copy->ref();
    LIST.push_back({field, right, std::move(copy)});
}

void FieldPairList::LeftToRight() const {
    pairs::leftToRight(LIST);
}
void FieldPairList::RightToLeft() const {
    pairs::rightToLeft(LIST);
}
void FieldPairList::BlankLeft() const {
    pairs::blankLeft(LIST);
}
void FieldPairList::BlankRight() const {
    pairs::blankRight(LIST);
}
bool FieldPairList::SameLeftRight() const {
    return pairs::sameLeftRight(LIST);
}

} // namespace framework
