// Helpers of the competitor tests: real spreadsheet files made on the spot, and the
// committed fixtures (fixtures/make_*.py, make_*.pl made them).
#pragma once

#include <xlsxwriter.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace q12test {

inline std::string Fixture(const std::string& name) {
    return std::string(QS_COMPETITOR_FIXTURES) + "/" + name;
}

// An .xlsx of the given number of sheets written with libxlsxwriter; fill is called once per
// sheet (index from 0). Inline: written row by row as tools that stream write it, strings
// in the cells (t="inlineStr") and no shared string table.
inline void MakeXlsx(const std::string& path, int sheets,
                     const std::function<void(int, lxw_worksheet*)>& fill, bool inlineStrings = false) {
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(path.c_str(), &options);
    if (!wb) throw std::runtime_error("cannot create " + path);
    for (int i = 0; i < sheets; ++i) fill(i, workbook_add_worksheet(wb, nullptr));
    if (workbook_close(wb) != LXW_NO_ERROR) throw std::runtime_error("cannot write " + path);
}
inline void PutNumber(lxw_worksheet* ws, const char* cell, double value) {
    worksheet_write_number(ws, lxw_name_to_row(cell), lxw_name_to_col(cell), value, nullptr);
}
inline void PutText(lxw_worksheet* ws, const char* cell, const std::string& utf8) {
    worksheet_write_string(ws, lxw_name_to_row(cell), lxw_name_to_col(cell), utf8.c_str(), nullptr);
}

// An .ods of one sheet "List" whose rows are the given table rows (ODF XML), in a zip
// package of deflated members as office programs write it.
inline void MakeOds(const std::string& path, const std::string& rowsXml) {
    const std::vector<std::pair<std::string, std::string>> members = {
        {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
        {"content.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
         "<table:table table:name=\"List\">" +
             rowsXml + "</table:table></office:spreadsheet></office:body></office:document-content>"}};
    auto put = [](std::string* b, unsigned long v, int bytes) {
        for (int i = 0; i < bytes; ++i) b->push_back(char(v >> (8 * i) & 0xFF));
    };
    std::string file, directory;
    for (const auto& [name, content] : members) {
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        std::string packed(deflateBound(&z, uLong(content.size())), '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
        z.avail_in = uInt(content.size());
        z.next_out = reinterpret_cast<Bytef*>(packed.data());
        z.avail_out = uInt(packed.size());
        deflate(&z, Z_FINISH);
        packed.resize(z.total_out);
        deflateEnd(&z);
        const unsigned long crc =
            crc32(0, reinterpret_cast<const Bytef*>(content.data()), uInt(content.size()));
        const unsigned long offset = file.size();
        for (std::string* b : {&file, &directory}) {
            const bool central = b == &directory;
            put(b, central ? 0x02014b50 : 0x04034b50, 4);
            if (central) put(b, 20, 2);
            for (auto [v, n] : {std::pair{20ul, 2},
                                {0ul, 2},
                                {8ul, 2},
                                {0ul, 4},
                                {crc, 4},
                                {packed.size(), 4},
                                {content.size(), 4},
                                {name.size(), 2},
                                {0ul, 2}})
                put(b, v, n);
            if (central)
                for (auto [v, n] : {std::pair{0ul, 2}, {0ul, 2}, {0ul, 2}, {0ul, 4}, {offset, 4}})
                    put(b, v, n);
            *b += name;
        }
        file += packed;
    }
    const unsigned long start = file.size();
    file += directory;
    for (auto [v, n] : {std::pair{0x06054b50ul, 4},
                        {0ul, 4},
                        {members.size(), 2},
                        {members.size(), 2},
                        {directory.size(), 4},
                        {start, 4},
                        {0ul, 2}})
        put(&file, v, n);
    std::ofstream(path, std::ios::binary) << file;
}

}  // namespace q12test
