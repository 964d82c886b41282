#include <cstdio>

int main() {
    std::fprintf(stderr, "zentaro: the GUI is not built yet\n");
    return 1;
}
