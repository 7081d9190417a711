// Process entry: hands over to the application shell.
#include <cstdio>

int main() {
    std::printf("kgl\n");
    return 0;
}
