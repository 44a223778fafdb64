// Program start-up and shutdown (temporary until the start-up module lands).
int Q31Main(int, char**) { return 0; }
