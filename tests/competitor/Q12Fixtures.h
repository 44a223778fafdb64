// Helpers of the competitor tests: real .xlsx files made on the spot with libxlsxwriter,
// and the committed fixtures (fixtures/make_*.py, make_*.pl made them).
#pragma once

#include <xlsxwriter.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

namespace q12test {

inline std::string Fixture(const std::string& name) {
    return std::string(QS_COMPETITOR_FIXTURES) + "/" + name;
}

// Cells written as "A1=Bib|A2=102|B2='7|A3==A2+1;103": a value that reads whole as a number
// is a number, one from '=' a formula and its result after the ';', anything else (or after
// an apostrophe, as spreadsheets take it) a UTF-8 text.
inline void Put(lxw_worksheet* ws, const std::string& cells) {
    std::stringstream in(cells);
    for (std::string cell; std::getline(in, cell, '|');) {
        const size_t eq = cell.find('=');
        const std::string name = cell.substr(0, eq);
        std::string v = cell.substr(eq + 1), formula;
        if (v[0] == '=') formula = v.substr(0, v.rfind(';')), v = v.substr(v.rfind(';') + 1);
        const lxw_row_t row = lxw_name_to_row(name.c_str());
        const lxw_col_t col = lxw_name_to_col(name.c_str());
        char* end = nullptr;
        const double n = std::strtod(v.c_str(), &end);
        const bool number = !v.empty() && v[0] != ' ' && *end == 0;
        if (!formula.empty() && number)
            worksheet_write_formula_num(ws, row, col, formula.c_str(), nullptr, n);
        if (!formula.empty() && !number)
            worksheet_write_formula_str(ws, row, col, formula.c_str(), nullptr, v.c_str());
        if (formula.empty() && number) worksheet_write_number(ws, row, col, n, nullptr);
        if (formula.empty() && !number)
            worksheet_write_string(ws, row, col, v.c_str() + (v[0] == '\'' ? 1 : 0), nullptr);
    }
}

// An .xlsx of the sheets given as cells (Put), the sheets apart by '#'. Inline: written row
// by row as tools that stream write it, strings in the cells (t="inlineStr") and no shared
// string table.
inline void MakeXlsx(const std::string& path, const std::string& sheets, bool inlineStrings = false) {
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    if (!wb) throw std::runtime_error("cannot create " + path);
    std::stringstream in(sheets);
    for (std::string cells; std::getline(in, cells, '#');) Put(workbook_add_worksheet(wb, nullptr), cells);
    if (workbook_close(wb) != LXW_NO_ERROR) throw std::runtime_error("cannot write " + path);
}

}  // namespace q12test
