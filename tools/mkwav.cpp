// Writes the clock's four beep tones as 16-bit mono WAV files: a sine at the
// given frequency with short fades so the tone starts and ends without a click.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

static void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8);
}
static void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: mkwav <file.wav> <frequency Hz> <milliseconds>\n");
        return 2;
    }
    const double freq = atof(argv[2]);
    const int ms = atoi(argv[3]);
    const int rate = 22050;
    const int n = rate * ms / 1000;
    const int fade = rate * 5 / 1000;
    std::vector<uint8_t> data;
    for (int i = 0; i < n; ++i) {
        double env = 1.0;
        if (i < fade) env = double(i) / fade;
        if (n - 1 - i < fade) env = double(n - 1 - i) / fade;
        double s = 0.6 * env * sin(2.0 * M_PI * freq * i / rate);
        put16(data, uint16_t(int16_t(lrint(s * 32767))));
    }
    std::vector<uint8_t> f;
    for (char c : {'R', 'I', 'F', 'F'}) f.push_back(c);
    put32(f, uint32_t(36 + data.size()));
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) f.push_back(c);
    put32(f, 16);
    put16(f, 1);
    put16(f, 1);
    put32(f, rate);
    put32(f, rate * 2);
    put16(f, 2);
    put16(f, 16);
    for (char c : {'d', 'a', 't', 'a'}) f.push_back(c);
    put32(f, uint32_t(data.size()));
    f.insert(f.end(), data.begin(), data.end());
    FILE* out = fopen(argv[1], "wb");
    if (!out || fwrite(f.data(), 1, f.size(), out) != f.size()) {
        perror(argv[1]);
        return 1;
    }
    fclose(out);
    return 0;
}
