// Import of competitor lists (number and four texts a row) of 1,000, 100,000 and
// 1,000,000 rows from each kind of file, side by side: the time of one import (open and
// read, as the import button does) and, as the counter peak_MB, the peak memory of one
// import run in a fresh process of its own. An .xls sheet holds at most 65,536 rows: its
// large case is one full sheet of 65,535 competitors.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/BenchProgram.h"
#include "competitor/Q12Classeur.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"

extern char** environ;

namespace {

enum Kind { Csv, Xlsx, Ods, Xls };
constexpr const char* kExtensions[] = {".csv", ".xlsx", ".ods", ".xls"};

const std::string& Folder() {
    static const bench::ScratchFolder dir("q12-bench");  // removed when the benchmark ends
    return dir.path();
}

std::string Name(int i) {
    return "Name of competitor " + std::to_string(i);
}
std::string First(int i) {
    return "First name " + std::to_string(i);
}
std::string Category(int i) {
    return "Cat" + std::to_string(i % 7);
}
std::string Club(int i) {
    return "Club " + std::to_string(i % 40);
}

void MakeCsv(const std::string& path, int rows) {
    std::ofstream out(path, std::ios::binary);
    out << "Bib;Name;First name;Category;Club\r\n";
    for (int i = 1; i <= rows; ++i)
        out << i << ';' << Name(i) << ';' << First(i) << ';' << Category(i) << ';' << Club(i) << "\r\n";
}

// Written row by row with shared strings off above 100,000 rows, as streaming tools do.
void MakeXlsx(const std::string& path, int rows) {
    lxw_workbook_options options{};
    options.constant_memory = rows > 100000 ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    for (int i = 1; i <= rows; ++i) {
        worksheet_write_number(ws, lxw_row_t(i), 0, i, nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 1, Name(i).c_str(), nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 2, First(i).c_str(), nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 3, Category(i).c_str(), nullptr);
        worksheet_write_string(ws, lxw_row_t(i), 4, Club(i).c_str(), nullptr);
    }
    workbook_close(wb);
}

// The content is written to disk and packed with the zip command.
void MakeOds(const std::string& path, int rows) {
    const std::string dir = Folder() + "/ods" + std::to_string(rows);
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/mimetype", std::ios::binary) << "application/vnd.oasis.opendocument.spreadsheet";
    std::ofstream out(dir + "/content.xml", std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
           "<table:table table:name=\"List\"><table:table-row><table:table-cell "
           "office:value-type=\"string\"><text:p>Bib</text:p></table:table-cell></table:table-row>\n";
    auto text = [&](const std::string& t) {
        out << "<table:table-cell office:value-type=\"string\"><text:p>" << t
            << "</text:p></table:table-cell>";
    };
    for (int i = 1; i <= rows; ++i) {
        out << "<table:table-row><table:table-cell office:value-type=\"float\" office:value=\"" << i
            << "\"><text:p>" << i << "</text:p></table:table-cell>";
        text(Name(i));
        text(First(i));
        text(Category(i));
        text(Club(i));
        out << "</table:table-row>\n";
    }
    out << "</table:table></office:spreadsheet></office:body></office:document-content>\n";
    out.close();
    const std::string cmd = "cd '" + dir + "' && zip -q -X -0 '" + path + "' mimetype && zip -q -X -9 '" +
                            path + "' content.xml && rm -f content.xml";
    if (std::system(cmd.c_str()) != 0) std::filesystem::remove(path);
}

void MakeXls(const std::string& path, int rows) {
    if (rows == 1000) {
        std::filesystem::copy_file(
            std::string(QS_SOURCE_DIR) + "/tests/competitor/fixtures/competitors_1000.xls", path);
        return;
    }
    const std::string cmd = "perl '" + std::string(QS_SOURCE_DIR) +
                            "/tests/competitor/fixtures/make_competitors_xls.pl' '" + path + "' " +
                            std::to_string(rows);
    if (std::system(cmd.c_str()) != 0) std::filesystem::remove(path);
}

// Each file is made once, the first time it is needed.
const std::string& File(Kind kind, int rows) {
    static std::map<std::pair<int, int>, std::string> made;
    std::string& path = made[{kind, rows}];
    if (!path.empty()) return path;
    path = Folder() + "/list" + std::to_string(rows) + kExtensions[kind];
    switch (kind) {
        case Csv:
            MakeCsv(path, rows);
            break;
        case Xlsx:
            MakeXlsx(path, rows);
            break;
        case Ods:
            MakeOds(path, rows);
            break;
        case Xls:
            MakeXls(path, rows);
            break;
    }
    return path;
}

// One import as the import button makes it: open, read with the default settings.
int ImportOnce(const std::string& path) {
    Q12Cnf cnf;
    Q12CnfDefaut(&cnf);
    Q12Echec echec;
    auto book = Q12OuvrirClasseur(path.c_str(), &echec);
    if (!book) return -1;
    Q12Lecture lecture;
    if (!Q12LireListe(*book, cnf, &lecture)) return -1;
    return lecture.nombre;
}

// The peak resident memory of this process's own image, in MB (not what the parent
// held before the process started this program).
long OwnPeak() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    return -1;
}

// Peak memory, in MB, of one import in a fresh process: this program run again with
// --import-once (an empty path imports nothing), which prints its own peak.
long FreshPeak(const std::string& path) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    int fds[2];
    if (n <= 0 || pipe(fds) != 0) return -1;
    self[n] = 0;
    std::string option = "--import-once", fichier = path;
    char* argv[] = {self, option.data(), fichier.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string out;
    char buf[64];
    for (ssize_t k; rc == 0 && (k = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, size_t(k));
    close(fds[0]);
    int status = 0;
    if (rc != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::atol(out.c_str());
}

void Import(benchmark::State& state, Kind kind, int rows) {
    const std::string& path = File(kind, rows);
    const int expected = std::min(rows, kQ12Max);
    if (!std::filesystem::exists(path)) {
        state.SkipWithError("file not made");
        return;
    }
    for (auto _ : state) {
        if (ImportOnce(path) != expected) {
            state.SkipWithError("wrong count");
            return;
        }
    }
    state.counters["peak_MB"] = double(FreshPeak(path));
    state.counters["file_MB"] = double(std::filesystem::file_size(path)) / 1e6;
}

// The memory of a fresh process of this benchmark that imports nothing, for comparison.
void BM_ImportBaseline(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(state.iterations());
    state.counters["peak_MB"] = double(FreshPeak(""));
}
BENCHMARK(BM_ImportBaseline)->Iterations(1);

const bool registered = [] {
    for (int rows : {1000, 100000, 1000000})
        for (Kind kind : {Csv, Xlsx, Ods, Xls}) {
            // One .xls sheet holds at most 65,536 rows: its large case is one full sheet.
            if (kind == Xls && rows == 1000000) continue;
            const int n = kind == Xls && rows == 100000 ? 65535 : rows;
            const std::string name =
                std::string("BM_Import") + (kExtensions[kind] + 1) + "/" + std::to_string(n);
            benchmark::RegisterBenchmark(name.c_str(), Import, kind, n)->Unit(benchmark::kMillisecond);
        }
    return true;
}();

}  // namespace

int main(int argc, char** argv) {
    (void)registered;
    if (argc == 3 && std::string(argv[1]) == "--import-once") {
        const bool ok = argv[2][0] == 0 || ImportOnce(argv[2]) >= 0;
        std::printf("%ld\n", OwnPeak());
        return ok ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
