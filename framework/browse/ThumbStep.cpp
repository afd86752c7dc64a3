#include "framework/browse/ThumbStep.h"

#include "runtime/base/CodePage.h"
#include "runtime/base/Value.h"

#include <algorithm>

namespace framework {

const std::string_view ThumbStep::NameSteps =
    "   ALBAMEARNBAKBATBENBIABOBBRABROBUACACCARCENCHRCOECONCORCRUDASDELDIADONDURELDEVEFEL"
    "FISFLOFREFUTGARGIBGOLGOSGREGUTHAMHEMHOBHOTINGJASJONKAGKEAKIRKORKYOLATLEOLIGLOUMACMAQ"
    "MARMAUMCKMERMILMONMORNATNOLOKEPAGPAUPETPINPORPULRAUREYROBROSRUBSALSCASCHSCRSHASIGSKI"
    "SNASOUSTESTISUNTAYTIRTUCVANWACWASWEIWIEWIMWOLYOR";

const std::string_view ThumbStep::AlphabetSteps =
    "  AFANATB BFBNBTC CFCNCTD DFDNDTE EFENETF FFFNFTG GFGNGTH HFHNHTI IFINITJ JFJNJTK KF"
    "KNKTL LFLNLTM MFMNMTN NFNNNTO OFONOTP PFPNPTQ QNR RFRNRTS SFSNSTT TFTNTTU UFUNUTV VF"
    "VNVTW WFWNWTX XFXNXTY YFYNYTZ ZN";

// Stored as the punctuation set has always been kept: the per cent sign twice, and £ as
// character code 163.
const std::string_view ThumbStep::PunctuationSet = "`!\"\xA3$%%^&*()'-=_+][#;~@:/.,?\\| ";

namespace {

constexpr std::size_t ComputedStepLength = 4;
constexpr std::size_t LimitLength = 80;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

void ThumbStep::Setup(std::uint8_t controls, std::uint8_t lookupMode) {
    LOOKUPMODE = lookupMode;
    CONTROLS = controls;
    ROOT.assign(RootLength, ' ');
    SORTCHARS.clear();
    computed_.clear();
    REF = {};
    TESTLEN = 0;
    switch (lookupMode) {
    case NameTable:
        REF = NameSteps;
        TESTLEN = 3;
        break;
    case AlphabetTable:
        REF = AlphabetSteps;
        TESTLEN = 2;
        break;
    case ComputedTable:
        computed_.assign(Steps * ComputedStepLength, ' ');
        REF = computed_;
        TESTLEN = ComputedStepLength;
        for (int code = 1; code <= 255; ++code) {
            char c = static_cast<char>(code);
            bool wanted = (has(Punctuation) && PunctuationSet.find(c) != std::string_view::npos) ||
                          (has(Digits) && isDigit(c)) ||
                          (has(Letters) && host::isLetter(c) &&
                           (has(CaseSensitive) || host::isUpperLetter(c)));
            if (wanted)
                SORTCHARS.push_back(c);
        }
        break;
    default:
        break;
    }
}

std::string_view ThumbStep::entry(std::size_t k) const {
    if (k < 1 || k > Steps || REF.size() < Steps * TESTLEN)
        return {};
    return REF.substr((k - 1) * TESTLEN, TESTLEN);
}

std::uint8_t ThumbStep::ValueToPosition(std::string_view value) {
    std::string_view root = host::clipped(ROOT);
    std::size_t k = 0;
    if (!root.empty()) {
        // A value that no longer shares the root (a record added beyond the limits since
        // they were measured) lies before or after every step.
        std::string head(value.substr(0, root.size()));
        std::string own(root);
        if (!has(CaseSensitive)) {
            head = host::upper(head);
            own = host::upper(own);
        }
        auto order = host::compareText(head, own);
        if (order != 0)
            return finishPosition(order < 0 ? 0 : Steps);
    }
    std::string t(value);
    if (!root.empty())
        t = host::subString(value, static_cast<long long>(root.size()) + 1, TESTLEN + 1);
    if (!has(CaseSensitive))
        t = host::upper(t);
    // Without a table (torn down, or no lookup mode) there is no step to count.
    if (REF.size() >= Steps * TESTLEN && TESTLEN > 0)
        while (k < Steps && host::compareText(entry(k + 1), t) <= 0)
            ++k;
    return finishPosition(k);
}

std::uint8_t ThumbStep::finishPosition(std::size_t k) const {
    if (has(Descending))
        k = Steps - k;
    return static_cast<std::uint8_t>(std::max<std::size_t>(k, 1));
}

std::string ThumbStep::PositionToValue(int position) {
    int p = has(Descending) ? static_cast<int>(Steps) - position : position;
    // Position 0 is the first step; anything beyond the thumb's range is its end.
    p = std::clamp(p, 1, static_cast<int>(Steps));
    std::string value(host::clipped(ROOT));
    value += entry(static_cast<std::size_t>(p));
    return value;
}

void ThumbStep::Teardown() {
    if (LOOKUPMODE == ComputedTable)
        REF = {};
    computed_.clear();
    computed_.shrink_to_fit();
    SORTCHARS.clear();
    SORTCHARS.shrink_to_fit();
}

void ThumbStep::FixLimits(std::string_view first, std::string_view last) {
    if (LOOKUPMODE != ComputedTable || computed_.size() != Steps * ComputedStepLength)
        return;
    std::string_view f = host::clipped(first.substr(0, LimitLength));
    std::string_view l = host::clipped(last.substr(0, LimitLength));
    std::size_t common = 0;
    while (common < std::min(f.size(), l.size()) && f[common] == l[common])
        ++common;
    // ROOT holds at most its 40 characters and, being blank-padded, cannot end in a
    // blank; the steps start right after what it holds, so that ValueToPosition and
    // PositionToValue, which go by the clipped root, meet the same characters.
    std::size_t rootLength = std::min(common, RootLength);
    while (rootLength > 0 && f[rootLength - 1] == ' ')
        --rootLength;
    ROOT.assign(RootLength, ' ');
    ROOT.replace(0, rootLength, f.substr(0, rootLength));

    const char lowest = SORTCHARS.empty() ? ' ' : SORTCHARS.front();
    const char highest = SORTCHARS.empty() ? ' ' : SORTCHARS.back();
    std::string low(f.substr(rootLength, ComputedStepLength));
    low.resize(ComputedStepLength, lowest);
    std::string high(l.substr(rootLength, ComputedStepLength));
    high.resize(ComputedStepLength, highest);

    std::int64_t lo = EncodeStep(low);
    std::int64_t hi = EncodeStep(high);
    std::int64_t step = (hi - lo) / static_cast<std::int64_t>(Steps);
    for (std::size_t k = 1; k <= Steps; ++k) {
        std::size_t slot = has(Descending) ? Steps - k : k - 1;
        std::string text = DecodeStep(lo + static_cast<std::int64_t>(k - 1) * step);
        computed_.replace(slot * ComputedStepLength, ComputedStepLength, text);
    }
}

bool ThumbStep::WantsLimits() {
    return LOOKUPMODE == ComputedTable;
}

std::int64_t ThumbStep::EncodeStep(std::string_view text) const {
    std::string t(text.substr(0, ComputedStepLength));
    t.resize(ComputedStepLength, ' ');
    if (!has(CaseSensitive))
        t = host::upper(t);
    const auto base = static_cast<std::int64_t>(SORTCHARS.size());
    std::int64_t n = 0;
    for (char c : t) {
        std::size_t at = SORTCHARS.find(c);
        n = n * base + (at == std::string::npos ? 0 : static_cast<std::int64_t>(at));
    }
    return n;
}

std::string ThumbStep::DecodeStep(std::int64_t number) const {
    const auto base = static_cast<std::int64_t>(SORTCHARS.size());
    std::string text(ComputedStepLength, ' ');
    if (base == 0)
        return text;
    number = std::max<std::int64_t>(number, 0);
    for (std::size_t i = ComputedStepLength; i-- > 0;) {
        text[i] = SORTCHARS[static_cast<std::size_t>(number % base)];
        number /= base;
    }
    return text;
}

} // namespace framework
