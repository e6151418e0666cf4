// Desktop benchmark: the main window over a large database, offscreen, timed the way a user
// meets it: start-up until the window is on screen with the database loaded, the status
// bar's search time for a rare and a common word once the name cache is ready, a header
// click that sorts every result, and the program's resident memory at the end.
//
//   quillory-desktop-bench DATABASE [REPEATS]
//
// bench/desktop_bench.sh generates the database and runs this program.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"
#include "app/ui_prompts.h"
#include "core/activity_log.h"
#include "core/database.h"

using namespace quillory;
using namespace quillory::app;

namespace {

const auto kProcessStart = std::chrono::steady_clock::now();

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// The seconds the status bar reports ("OK! N files found. Search time: 0.004 sec.").
double StatusSeconds(const QString& status) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Search time: ([0-9.]+) sec")).match(status);
    return match.hasMatch() ? match.captured(1).toDouble() * 1000.0 : -1;
}

double SearchMs(TQuilloryForm1& form, const QString& text, int repeats, int* found) {
    std::vector<double> times;
    for (int r = 0; r < repeats; ++r) {
        form.SearchBox()->setEditText(text);
        form.Button1Click();
        times.push_back(StatusSeconds(form.StatusText()));
    }
    *found = form.Model()->rowCount();
    return Median(times);
}

// A header click until the view has painted the new order.
double ClickMs(TQuilloryForm1& form, int column) {
    const auto start = std::chrono::steady_clock::now();
    Q_EMIT form.ResultView()->horizontalHeader()->sectionClicked(column);
    form.ResultView()->viewport()->repaint();
    return MsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillory-desktop-bench DATABASE [REPEATS]\n");
        return 2;
    }
    const int repeats = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5;
    QApplication app(argc, argv);
    QtUiPrompts prompts;
    ProgramContext context;
    context.prompts = &prompts;
    TQuilloryForm1 form(context);
    CreateDataFolder();  // the activity log of the load goes there
    {
        const auto catalogue = context.keeper.Write();
        LoadDatabase(catalogue->Entries, catalogue->Options, argv[1], ActivityLog());
    }
    context.settings.MaxResultsCount = 10000;
    context.keeper.PrepareNamesAhead();
    form.OpenMainWindow();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    const double startupMs = MsSince(kProcessStart);
    const size_t entries = context.keeper.Read()->Entries.Count();  // waits for the name cache

    std::printf("entries in the catalogue:                      %zu\n", entries);
    std::printf("start-up to the window shown, database loaded: %.0f ms\n", startupMs);
    int found = 0;
    const double rare = SearchMs(form, QStringLiteral("quarterly"), repeats, &found);
    std::printf("search, rare name substring 'quarterly':      %.1f ms (status bar, median of %d; %d found)\n",
                rare, repeats, found);
    const double common = SearchMs(form, QStringLiteral("data"), repeats, &found);
    std::printf("search, common name substring 'data':         %.1f ms (status bar, median of %d; %d listed, "
                "limit 10000)\n",
                common, repeats, found);

    std::printf("resident memory, database loaded and searched: %.0f MB\n", ResidentKb() / 1024.0);

    context.settings.MaxResultsCount = 1000000000;
    const double all = SearchMs(form, QString(), 1, &found);
    std::printf("search listing every entry:                    %.1f ms (%d listed)\n", all, found);
    std::vector<double> byName, bySize;
    for (int r = 0; r < repeats; ++r) {
        byName.push_back(ClickMs(form, 0));
        bySize.push_back(ClickMs(form, 2));
    }
    std::printf("header click sorting %d results by name:   %.0f ms (median of %d, view repaint included)\n",
                found, Median(byName), repeats);
    std::printf("header click sorting %d results by size:   %.0f ms (median of %d)\n", found, Median(bySize),
                repeats);
    std::printf("resident memory with every entry listed, sorted: %.0f MB\n", ResidentKb() / 1024.0);
    return 0;
}
