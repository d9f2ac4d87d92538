// The four reports of `kansu table`, made from the command line's texts:
// each prepares its formulas, ranges and values as the mode's dialogue
// would take them typed, refusing what the dialogue refuses with its
// message, then writes through the mode's own writers.
#ifndef KANSU_APP_TABLEREPORT_H
#define KANSU_APP_TABLEREPORT_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/argumentvalues.h"
#include "app/scriptargs.h"
#include "report/sweepreport.h"

// A report ready to be written: everything it refers to is owned here.
class TableReport {
public:
    virtual ~TableReport() = default;
    // The head lines and the result section, after the report header.
    virtual void Write(SweepReport& report) = 0;
    // The CSV header and, for each CSV column, the report column it takes;
    // an empty header when the report has no table.
    virtual const char* Csv_Header() = 0;
    virtual std::vector<int> Csv_Columns() = 0;
};

// Null when a text or value was refused (the message shown on std::cout).
std::unique_ptr<TableReport> Prepare_TableReport(TableMode mode,
                                                 const std::vector<std::string>& texts,
                                                 const VariableValues& values);

#endif
