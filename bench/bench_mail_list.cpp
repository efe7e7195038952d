// The mail list with many mails: the time to fill the list from the accounts and sort it
// (as after every check: 10,000 mails, sorted by subject, then by size), and the memory
// the list takes per mail beyond the mail record itself. Targets: under 200 ms, under
// 2 KB per mail. Runs the real list view on Qt's offscreen platform.
//   bench_mail_list [MAILS]
#include "app/MainFrame.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "app/maillist/TolvaneView.h"
#include "platform/CodePage.h"

#include <QApplication>
#include <QHeaderView>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using namespace tolvane;
using namespace tolvane::gui;

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

double Milliseconds(std::chrono::steady_clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

void AddMails(CAccount& account, int count) {
    std::mt19937 random(7);
    const std::string subjects[] = {
        "会議のお知らせ", "見積書の送付",     "週報",
        "請求書について", "Re: お問い合わせ", "【重要】システム保守のお知らせ"};
    for (int i = 0; i < count; ++i) {
        auto mail = std::make_unique<CMail>();
        mail->m_strSubject = Utf8ToCp932(subjects[random() % 6]) + std::to_string(random() % 1000);
        mail->m_strFrom = "sender" + std::to_string(random() % 300) + "@example.jp";
        mail->m_strSize = std::to_string(500 + random() % 200000);
        mail->m_strDate = "2024/06/0" + std::to_string(1 + random() % 9) + " 09:30:00";
        mail->m_strAccount = account.m_strName;
        mail->m_strBody = Utf8ToCp932("本文の一行目です。\r\n二行目です。");
        mail->m_nState = random() % 2 ? MAIL_NEW : MAIL_KNOWN;
        account.m_mails.push_back(std::move(mail));
    }
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    // A private home: the benchmark must not touch the user's settings or data.
    char pattern[] = "/tmp/tolvane-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        return 1;
    }
    setenv("HOME", pattern, 1);
    setenv("XDG_CONFIG_HOME", (std::string(pattern) + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (std::string(pattern) + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", pattern, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int status = 0;
    {
        QApplication application(argc, argv);
        CTolvaneApp tolvane;
        if (tolvane.InitApplication() != CTolvaneApp::StartResult::First ||
            !tolvane.InitInstance()) {
            std::fprintf(stderr, "bench_mail_list: Tolvane did not start\n");
            return 1;
        }
        CTolvaneDoc* doc = tolvane.Document();
        CTolvaneView* list = tolvane.Frame()->ListView();
        auto account = std::make_unique<CAccount>(nullptr, nullptr);
        account->m_strName = "bench";
        account->m_strSection = "Account\\bench";
        AddMails(*account, count);
        doc->m_arrAccounts.push_back(std::move(account));

        list->ClearRows();
        const size_t before = HeapInUse();
        const auto start = std::chrono::steady_clock::now();
        list->Refill(); // fill, sort by subject, tray tip
        QApplication::processEvents();
        const auto filled = std::chrono::steady_clock::now();
        const size_t after = HeapInUse();
        const auto sortStart = std::chrono::steady_clock::now();
        // A click on the size heading.
        QMetaObject::invokeMethod(list->header(), "sectionClicked", Q_ARG(int, 2));
        QApplication::processEvents();
        const auto sorted = std::chrono::steady_clock::now();

        const double fillMs = Milliseconds(filled - start);
        const double sortMs = Milliseconds(sorted - sortStart);
        const double perMail = count > 0 ? static_cast<double>(after - before) / count : 0;
        std::printf("mails                      %d\n", count);
        std::printf("fill and sort by subject   %.1f ms   (target < 200 ms)\n", fillMs);
        std::printf("sort again by size         %.1f ms\n", sortMs);
        std::printf("list memory per mail       %.0f bytes   (target < 2048)\n", perMail);
        status = fillMs < 200 && perMail < 2048 ? 0 : 3;
        tolvane.QuitWithoutQuestion();
        while (!tolvane.IsFinished()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    std::filesystem::remove_all(pattern);
    return status;
}
