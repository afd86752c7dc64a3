#include "framework/data/BufferedPairList.h"

#include "framework/data/PairWalk.h"

namespace framework {

void BufferedPairList::Setup() {
    Teardown();
}

void BufferedPairList::Teardown() {
    REALLIST.clear();
    LIST = &REALLIST;
}

void BufferedPairList::PairUp(host::TypedRef left, host::TypedRef right) {
    REALLIST.push_back({left, right, host::Variable(right.type())});
}

void BufferedPairList::LeftToBuffer() const {
    for (const BufferedPair& entry : *LIST)
        entry.BUFFER.ref().assign(entry.LEFT);
}

void BufferedPairList::RightToBuffer() const {
    for (const BufferedPair& entry : *LIST)
        entry.BUFFER.ref().assign(entry.RIGHT);
}

void BufferedPairList::BufferToLeft() const {
    for (const BufferedPair& entry : *LIST)
        entry.LEFT.assign(entry.BUFFER.ref());
}

void BufferedPairList::BufferToRight() const {
    for (const BufferedPair& entry : *LIST)
        entry.RIGHT.assign(entry.BUFFER.ref());
}

bool BufferedPairList::SameLeftBuffer() const {
    for (const BufferedPair& entry : *LIST)
        if (!entry.LEFT.equals(entry.BUFFER.ref()))
            return false;
    return true;
}

bool BufferedPairList::SameRightBuffer() const {
    for (const BufferedPair& entry : *LIST)
        if (!entry.RIGHT.equals(entry.BUFFER.ref()))
            return false;
    return true;
}

void BufferedPairList::LeftToRight() const {
    pairs::leftToRight(*LIST);
}
void BufferedPairList::RightToLeft() const {
    pairs::rightToLeft(*LIST);
}
void BufferedPairList::BlankLeft() const {
    pairs::blankLeft(*LIST);
}
void BufferedPairList::BlankRight() const {
    pairs::blankRight(*LIST);
}
bool BufferedPairList::SameLeftRight() const {
    return pairs::sameLeftRight(*LIST);
}

} // namespace framework
