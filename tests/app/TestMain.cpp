// Runs the suite named by the first argument (the rest go to Qt Test), or
// every suite when none is named.
#include <QTest>
#include <cstring>
#include <iostream>

#include "ErrorReport.h"
#include "TestSupport.h"

int main(int argc, char** argv) {
    TOrvApplication app(argc, argv);
    if (argc > 1 && argv[1][0] != '-') {
        const auto suite = Suites().find(argv[1]);
        if (suite == Suites().end()) {
            std::cerr << "no test suite named " << argv[1] << "\n";
            return 2;
        }
        auto test = suite->second();
        argv[1] = argv[0];
        return QTest::qExec(test.get(), argc - 1, argv + 1);
    }
    int failed = 0;
    for (const auto& [name, factory] : Suites()) {
        auto test = factory();
        failed += QTest::qExec(test.get(), argc, argv) != 0;
    }
    return failed;
}
