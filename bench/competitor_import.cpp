// Import of a 1,000-row, 5-column competitor list from .xlsx, .xls and .csv.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <xlsxwriter.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "competitor/Q12Classeur.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"

namespace {

constexpr int kRows = 1000;

const std::string& Folder() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/q12-bench-XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    return dir;
}

std::string MakeXlsx() {
    std::string path = Folder() + "/list.xlsx";
    lxw_workbook* wb = workbook_new(path.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    for (int i = 1; i <= kRows; ++i) {
        worksheet_write_number(ws, lxw_row_t(i), 0, i, nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 1, ("Name of competitor " + std::to_string(i)).c_str(),
                               nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 2, ("First name " + std::to_string(i)).c_str(), nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 3, ("Cat" + std::to_string(i % 7)).c_str(), nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 4, ("Club " + std::to_string(i % 40)).c_str(), nullptr);
    }
    workbook_close(wb);
    return path;
}

std::string MakeCsv() {
    std::string path = Folder() + "/list.csv";
    std::ofstream out(path, std::ios::binary);
    out << "Bib;Name;First name;Category;Club\r\n";
    for (int i = 1; i <= kRows; ++i)
        out << i << ";Name of competitor " << i << ";First name " << i << ";Cat" << i % 7 << ";Club "
            << i % 40 << "\r\n";
    return path;
}

void Import(benchmark::State& state, const std::string& path) {
    Q12AllouerListes();
    Q12Cnf cnf;
    Q12CnfDefaut(&cnf);
    for (auto _ : state) {
        Q12Echec echec;
        auto book = Q12OuvrirClasseur(path.c_str(), &echec);
        if (!book) {
            state.SkipWithError("workbook does not open");
            break;
        }
        Q12Lecture lecture;
        Q12LireListe(*book, cnf, &lecture);
        Q12AppliquerLecture(lecture, path.c_str());
        if (Q12NbListeG != kRows) {
            state.SkipWithError("wrong count");
            break;
        }
    }
    Q12LibererListes();
}

void BM_ImportXlsx(benchmark::State& state) {
    static const std::string path = MakeXlsx();
    Import(state, path);
}

void BM_ImportXls(benchmark::State& state) {
    Import(state, std::string(QS_SOURCE_DIR) + "/tests/competitor/fixtures/competitors_1000.xls");
}

void BM_ImportCsv(benchmark::State& state) {
    static const std::string path = MakeCsv();
    Import(state, path);
}

BENCHMARK(BM_ImportXlsx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportXls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
    return 0;
}
