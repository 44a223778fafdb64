// Helpers of the competitor tests: .xlsx files through libxlsxwriter, scratch folders.
#include "tests/competitor/Q12Fixtures.h"

#include <stdlib.h>
#include <xlsxwriter.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
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

void MakeXlsxInline(const std::string& path, const std::function<void(lxw_worksheet*)>& fill) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    if (!wb) throw std::runtime_error("cannot create " + path);
    fill(workbook_add_worksheet(wb, nullptr));
    if (workbook_close(wb) != LXW_NO_ERROR) throw std::runtime_error("cannot write " + path);
}

namespace {

void Put16(std::string* b, unsigned v) {
    b->push_back(char(v & 0xFF));
    b->push_back(char(v >> 8 & 0xFF));
}
void Put32(std::string* b, unsigned long v) {
    Put16(b, unsigned(v & 0xFFFF));
    Put16(b, unsigned(v >> 16 & 0xFFFF));
}

std::string Deflate(const std::string& in) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, uLong(in.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

}  // namespace

void MakeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& members) {
    std::string file, directory;
    for (const auto& [name, content] : members) {
        const std::string packed = Deflate(content);
        const unsigned long crc =
            crc32(0, reinterpret_cast<const Bytef*>(content.data()), uInt(content.size()));
        const unsigned long offset = file.size();
        for (std::string* b : {&file, &directory}) {
            const bool central = b == &directory;
            Put32(b, central ? 0x02014b50 : 0x04034b50);
            if (central) Put16(b, 20);
            Put16(b, 20);
            Put16(b, 0);
            Put16(b, 8);
            Put32(b, 0);
            Put32(b, crc);
            Put32(b, packed.size());
            Put32(b, content.size());
            Put16(b, unsigned(name.size()));
            Put16(b, 0);
            if (central) {
                Put16(b, 0);
                Put16(b, 0);
                Put16(b, 0);
                Put32(b, 0);
                Put32(b, offset);
            }
            *b += name;
        }
        file += packed;
    }
    const unsigned long start = file.size();
    file += directory;
    Put32(&file, 0x06054b50);
    Put32(&file, 0);
    Put16(&file, unsigned(members.size()));
    Put16(&file, unsigned(members.size()));
    Put32(&file, directory.size());
    Put32(&file, start);
    Put16(&file, 0);
    std::ofstream(path, std::ios::binary) << file;
}

void MakeOds(const std::string& path, const std::string& rowsXml) {
    const std::string content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
        "<table:table table:name=\"List\">" +
        rowsXml + "</table:table></office:spreadsheet></office:body></office:document-content>";
    MakeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
}

std::string Fixture(const std::string& name) {
    return std::string(QS_COMPETITOR_FIXTURES) + "/" + name;
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
