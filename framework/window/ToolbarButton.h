#pragma once

#include <cstdint>

namespace framework {

// The control numbers of the frame's toolbar buttons. The navigation numbers (2000 and
// 2004 to 2009) are also the row-navigation requests a form leaves in its window's
// VCRREQUEST for the browse that called it: 2000 asks for another insert.
struct ToolbarButton {
    static constexpr std::int32_t Insert = 2000;
    static constexpr std::int32_t Change = 2001;
    static constexpr std::int32_t Delete = 2002;
    static constexpr std::int32_t Select = 2003;
    static constexpr std::int32_t LastPage = 2004;
    static constexpr std::int32_t FirstPage = 2005;
    static constexpr std::int32_t NextPage = 2006;
    static constexpr std::int32_t PriorPage = 2007;
    static constexpr std::int32_t NextRecord = 2008;
    static constexpr std::int32_t PriorRecord = 2009;
    static constexpr std::int32_t Locate = 2010;
    static constexpr std::int32_t History = 2011;
    static constexpr std::int32_t Help = 2012;

    static constexpr bool isToolbarButton(std::int32_t control) {
        return control >= Insert && control <= Help;
    }
};

} // namespace framework
