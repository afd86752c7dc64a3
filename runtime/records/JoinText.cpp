#include "runtime/records/JoinText.h"

#include "runtime/records/ViewTextReader.h"

namespace host::records {

bool parseJoinText(std::string_view text, std::vector<JoinPair>& pairs, TextError& error) {
    pairs.clear();
    ViewTextReader reader(text);
    do {
        JoinPair pair;
        pair.left = reader.label();
        if (pair.left.empty())
            return reader.fail(error, "a field label is expected");
        if (!reader.take('='))
            return reader.fail(error, "'=' is expected");
        pair.right = reader.label();
        if (pair.right.empty())
            return reader.fail(error, "a field label is expected");
        pairs.push_back(std::move(pair));
    } while (reader.takeWord("AND"));
    if (!reader.atEnd())
        return reader.fail(error, "AND or the end of the join is expected");
    return true;
}

} // namespace host::records
