#include <cstdio>

// The desktop program. Until the main frame exists it only says so.
int main() {
    std::puts("Example EIP Application: the program is not built yet.");
    return 0;
}
