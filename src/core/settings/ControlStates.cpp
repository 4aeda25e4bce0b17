#include "core/settings/ControlStates.h"

#include <array>

namespace rp {

namespace {

constexpr Switch K = Switch::Keep;
constexpr Switch on = Switch::On;
constexpr Switch off = Switch::Off;

// clang-format off
constexpr std::array<ControlStates, 8> table{{
//   command               site  w/data go   graph tables /all edit clear  Text4 Text1              Label1            Check1
    {Command::SiteList,    K,    on,    off, off,  on,    on,  off, true,  off,  ModeText::Empty,   LabelText::Sid,   true},
    {Command::Parameters,  K,    on,    on,  off,  K,     on,  off, false, off,  ModeText::Keep,    LabelText::Sid,   true},
    {Command::Go,          on,   off,   K,   on,   K,     off, on,  false, K,    ModeText::Keep,    LabelText::Dsid,  false},
    {Command::DbTables,    K,    off,   on,  off,  K,     off, on,  true,  K,    ModeText::Table,   LabelText::Keep,  false},
    {Command::OwnSqlOn,    off,  off,   on,  off,  off,   off, on,  false, on,   ModeText::Sql,     LabelText::Keep,  false},
    {Command::OwnSqlOff,   on,   K,     off, off,  on,    K,   off, true,  off,  ModeText::Keep,    LabelText::Keep,  false},
    {Command::GoAvailable, K,    K,     on,  K,    K,     K,   K,   false, K,    ModeText::Keep,    LabelText::Keep,  false},
    {Command::Connection,  K,    K,     K,   off,  K,     K,   K,   false, K,    ModeText::Keep,    LabelText::Keep,  false},
}};
// clang-format on

} // namespace

std::span<const ControlStates> controlStateTable() {
    return table;
}

const ControlStates& controlStates(Command command) {
    return table[static_cast<size_t>(command)];
}

} // namespace rp
