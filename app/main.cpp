// Program entry: see Q31Main.
int Q31Main(int argc, char** argv);
int main(int argc, char** argv) {
    return Q31Main(argc, argv);
}
