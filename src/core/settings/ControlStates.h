#pragma once

#include <span>

namespace rp {

// Which main-window controls each command switches on or off: one table for the whole window.
enum class Command {
    SiteList,
    Parameters, // PARAMETERS /all and PARAMETERS w/data
    Go,
    DbTables,
    OwnSqlOn,    // Check1 pressed while unchecked
    OwnSqlOff,   // Check1 pressed while checked
    GoAvailable, // a time step chosen, the date dialog closed, an editing box clicked
    Connection,
};

enum class Switch { Keep, On, Off };
// A fixed text for the mode box, or Keep when the command leaves it or sets it itself.
enum class ModeText { Keep, Empty, Sql, Table };
enum class LabelText { Keep, Sid, Dsid };

struct ControlStates {
    Command command;
    Switch siteList;       // siteIDbutton
    Switch paramsWithData; // SDIDwdatabutton
    Switch go;             // Getbutton
    Switch graphTable;     // ViewGraphbutton
    Switch dbTables;       // TablesButton
    Switch paramsAll;      // SDIDbutton
    Switch editBoxes;      // AllowEdit, AutoInsert
    bool clearEditBoxes;
    Switch text4;
    ModeText text1;
    LabelText label1;
    bool clearCheck1;
};

std::span<const ControlStates> controlStateTable();
const ControlStates& controlStates(Command command);

} // namespace rp
