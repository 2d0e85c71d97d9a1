// A formula sheet: a file of documents, each a list of named formulas that
// may use the names before them. Every document is evaluated in a session of
// its own, on a thread of its own, under limits, since the formulas come from
// whoever wrote the file. Usage: formula_sheet FILE
//
//   [budget]                  starts a document
//   rent = 1200               a cell: a name, "=", a formula
//   total = withTax(rent*12)  host functions: withTax, rounded, words
#include <expreval/session.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Cell {
    std::string name;
    std::string formula;
};

struct Document {
    std::string title;
    std::vector<Cell> cells;
};

std::vector<Document> ReadDocuments(std::istream& in) {
    std::vector<Document> documents;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            documents.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (documents.empty() || equals == std::string::npos)
            continue;  // not a cell of any document
        std::string name = line.substr(0, equals);
        name.erase(name.find_last_not_of(' ') + 1);
        documents.back().cells.push_back({name, line.substr(equals + 1)});
    }
    return documents;
}

// What the formulas of any document may take.
expreval::Limits SheetLimits() {
    expreval::Limits limits;
    limits.maxTextLength = 1000;
    limits.maxValueSize = 10000;
    limits.maxNesting = 100;
    limits.maxTime = std::chrono::milliseconds(200);
    return limits;
}

expreval::Session NewSheetSession() {
    expreval::Session session(SheetLimits());
    session.DefineFunction("withTax", [](double amount) { return amount * 1.2; });
    session.DefineFunction("rounded", [](double x) { return std::round(x * 100) / 100; });
    // A value function sees the argument's value text: here a number's
    // digits become a string.
    session.DefineValueFunction("words", [](const std::string& value) {
        if (value.empty() || value[0] == '"' || value[0] == '{')
            throw expreval::Exception("Words requires a number.");
        return "\"" + value + " only\"";
    });
    return session;
}

// A long value by its start and its length.
std::string Shown(const std::string& value) {
    constexpr std::size_t kShownBytes = 24;
    if (value.size() <= kShownBytes)
        return value;
    return value.substr(0, kShownBytes) + "... (" + std::to_string(value.size()) + " bytes)";
}

// Each cell's formula is evaluated as the assignment name=formula, so that
// the cells below can use it; a failing cell shows its message and defines
// nothing.
std::string EvaluateDocument(const Document& document) {
    expreval::Session session = NewSheetSession();
    std::string report = "[" + document.title + "]\n";
    for (const Cell& cell : document.cells) {
        try {
            report +=
                cell.name + " = " + Shown(session.Evaluate(cell.name + "=" + cell.formula)) + "\n";
        } catch (const expreval::Exception& failure) {
            report += cell.name + ": " + failure.message + "\n";
        }
    }
    return report;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: formula_sheet FILE\n";
        return 2;
    }
    std::ifstream file(argv[1]);
    if (!file) {
        std::cerr << "formula_sheet: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::vector<std::future<std::string>> reports;
    for (const Document& document : ReadDocuments(file))
        reports.push_back(std::async(std::launch::async, EvaluateDocument, document));
    for (std::future<std::string>& report : reports)
        std::cout << report.get();
    return 0;
}
