// The I/O floor of the benchmark: reads the lines the console would read and
// writes one answer line for each, without evaluating anything.

#include <iostream>
#include <string>

int main() {
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);  // no flush before each read
    std::cout << "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n";
    std::string line;
    while (std::getline(std::cin, line)) {
        std::cout << "Enter expression: The result is " << line << '\n';
    }
    return 0;
}
