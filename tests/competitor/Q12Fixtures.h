// Helpers of the competitor tests: real spreadsheet files made on the spot.
#pragma once

#include <functional>
#include <string>

struct lxw_worksheet;

namespace q12test {

// Writes an .xlsx of the given number of sheets with libxlsxwriter; fill is called
// once per sheet (index from 0).
void MakeXlsx(const std::string& path, int sheets,
              const std::function<void(int sheet, lxw_worksheet* ws)>& fill);
void PutNumber(lxw_worksheet* ws, const char* cell, double value);
void PutText(lxw_worksheet* ws, const char* cell, const std::string& utf8);
// The committed .xls fixture (see fixtures/make_competitors_xls.pl).
std::string FixtureXls();
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
