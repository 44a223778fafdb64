// Helpers of the competitor tests: real spreadsheet files made on the spot.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct lxw_worksheet;

namespace q12test {

// Writes an .xlsx of the given number of sheets with libxlsxwriter; fill is called
// once per sheet (index from 0).
void MakeXlsx(const std::string& path, int sheets,
              const std::function<void(int sheet, lxw_worksheet* ws)>& fill);
// The same, written row by row as tools that stream write it: strings inline in the
// cells (t="inlineStr") and no shared string table.
void MakeXlsxInline(const std::string& path, const std::function<void(lxw_worksheet* ws)>& fill);
// A zip package of the given members (deflated), as .ods and .xlsx files are.
void MakeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& members);
// An .ods of one sheet "List" whose rows are the given table rows (ODF XML).
void MakeOds(const std::string& path, const std::string& rowsXml);
void PutNumber(lxw_worksheet* ws, const char* cell, double value);
void PutText(lxw_worksheet* ws, const char* cell, const std::string& utf8);
// The committed .xls fixture (see fixtures/make_competitors_xls.pl).
std::string FixtureXls();
// A committed fixture by name.
std::string Fixture(const std::string& name);
// A fresh scratch folder for one test, removed afterwards.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string file(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

}  // namespace q12test
