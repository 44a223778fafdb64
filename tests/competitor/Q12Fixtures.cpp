// Helpers of the competitor tests: .xlsx files through libxlsxwriter, scratch folders.
#include "tests/competitor/Q12Fixtures.h"

#include <stdlib.h>
#include <xlsxwriter.h>

#include <filesystem>
#include <stdexcept>

namespace q12test {

void MakeXlsx(const std::string& path, int sheets, const std::function<void(int, lxw_worksheet*)>& fill) {
    lxw_workbook* wb = workbook_new(path.c_str());
    if (!wb) throw std::runtime_error("cannot create " + path);
    for (int i = 0; i < sheets; ++i) fill(i, workbook_add_worksheet(wb, nullptr));
    if (workbook_close(wb) != LXW_NO_ERROR) throw std::runtime_error("cannot write " + path);
}

void PutNumber(lxw_worksheet* ws, const char* cell, double value) {
    worksheet_write_number(ws, lxw_name_to_row(cell), lxw_name_to_col(cell), value, nullptr);
}

void PutText(lxw_worksheet* ws, const char* cell, const std::string& utf8) {
    worksheet_write_string(ws, lxw_name_to_row(cell), lxw_name_to_col(cell), utf8.c_str(), nullptr);
}

std::string FixtureXls() {
    return std::string(QS_COMPETITOR_FIXTURES) + "/competitors.xls";
}

Scratch::Scratch() {
    char tmpl[] = "/tmp/q12-test-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    if (!dir) throw std::runtime_error("no scratch folder");
    dir_ = dir;
}

Scratch::~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

}  // namespace q12test
