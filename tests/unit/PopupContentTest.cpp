// What a popup shows, apart from its cycle: summaries, the queue's bounds,
// the labels' layout at any font size and the body's fit.
#include <gtest/gtest.h>

#include <limits>

#include "unit/DisplayCycleFixture.h"

namespace pellumo {
namespace test {
namespace {

TEST(Summary, NamesTheFolderAndSenderAllShareElseCountsThem) {
    const TNotification one =
        SummaryOf(Items(Note("Inbox", "Ann", "Hi", "x", mpNormal), Note("Inbox", "Ann", "Lunch", "y", mpHigh)));
    EXPECT_EQ("Inbox", one.Folder);
    EXPECT_EQ("Ann", one.Sender);
    EXPECT_EQ("2 new messages", one.Subject);
    EXPECT_EQ("Ann: Hi\r\nAnn: Lunch", one.Body);
    EXPECT_EQ(mpHigh, one.Priority);
    // The folder's colour and sound only when all are of one folder.
    auto inLists = [](const char* sender) {
        auto note = Note("Lists", sender, "a", "", mpNormal, "000012", 0x00336699);
        note->Sound = "-";
        return note;
    };
    const TNotification lists = SummaryOf(Items(inLists("Ann"), inLists("Bob")));
    EXPECT_EQ(0x00336699u, lists.Color.value_or(0));
    EXPECT_EQ("-", lists.Sound);
    const TNotification two = SummaryOf(Items(inLists("Ann"), Note("Inbox", "Bob", "b", "", mpNormal, "000004")));
    EXPECT_FALSE(two.Color);
    EXPECT_EQ("", two.Sound);
    const TNotification mixed = SummaryOf(Items(Note("Inbox", "Ann", "Hi", "", mpLow), Note("Lists", "Bob", "News", "", mpLow),
                                                Note("Inbox", "Cy", "Re: Hi", "", mpNormal)));
    EXPECT_EQ("2 folders", mixed.Folder);
    EXPECT_EQ("3 senders", mixed.Sender);
    EXPECT_EQ("3 new messages", mixed.Subject);
    EXPECT_EQ("Ann: Hi\r\nBob: News\r\nCy: Re: Hi", mixed.Body);
    EXPECT_EQ(mpNormal, mixed.Priority);
    // Ten thousand waiting list what a popup can show.
    std::vector<std::unique_ptr<TNotification>> many;
    for (int i = 0; i < 10000; ++i) many.push_back(Note("Inbox", "Ann", std::to_string(i)));
    const TNotification burst = SummaryOf(many);
    EXPECT_EQ("10000 new messages", burst.Subject);
    EXPECT_EQ(100, std::count(burst.Body.begin(), burst.Body.end(), '\n'));  // 100 lines and the ellipsis
    EXPECT_EQ("Ann: 99\r\n\xE2\x80\xA6", burst.Body.substr(burst.Body.size() - 12));
}

// Each entry is cut between characters to what the popup shows; past the
// waiting limit entries lose their body, never their place or summary line.
TEST(NotificationQueue, KeepsWhatThePopupShowsAndPastTheLimitWhatASummaryShows) {
    const struct { const char* what; int lead; std::string tail; int kept; } cases[] = {
        // `lead` and `kept` count from the limit: "a" * (limit + lead) + tail.
        {"at the limit", 0, "", 0},
        {"one over", 1, "", 0},
        {"a two-byte character across the limit", -1, "\u00e9", -1},
        {"a three-byte character across the limit", -2, "\u20ac", -2},
        {"a four-byte character across the limit", -3, "\U0001F600", -3},
        {"a character ending at the limit", -2, "\u00e9b", 0},
        {"a run of stray continuation bytes", -8, std::string(9, '\x80'), -3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto text = [&](size_t limit) { return std::string(limit + c.lead, 'a') + c.tail; };
        const size_t line = TNotificationQueue::kMaxLineBytes, body = TNotificationQueue::kMaxBodyBytes;
        TNotificationQueue queue;
        queue.Add(Note(text(line), text(line), text(line), text(body)));
        const std::unique_ptr<TNotification> taken = queue.Take();
        EXPECT_EQ(text(line).substr(0, line + c.kept), taken->Folder);
        EXPECT_EQ(text(line).substr(0, line + c.kept), taken->Sender);
        EXPECT_EQ(text(line).substr(0, line + c.kept), taken->Subject);
        EXPECT_EQ(text(body).substr(0, body + c.kept), taken->Body);
    }
    TNotificationQueue queue;
    const size_t limit = TNotificationQueue::kMaxWaitingWithBody, body = TNotificationQueue::kMaxBodyBytes;
    auto add = [&](size_t i) {
        queue.Add(Note("Inbox", "Ann", "m" + std::to_string(i), std::string(2 * body, 'x'), mpHigh));
    };
    for (size_t i = 0; i < limit + 2; ++i) add(i);
    const std::vector<std::unique_ptr<TNotification>> all = queue.TakeAll();
    ASSERT_EQ(limit + 2, all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(i < limit ? body : 0, all[i]->Body.size());
        EXPECT_LT(all[i]->Body.capacity(), 2 * body);  // the long text's memory is given back
        EXPECT_EQ("m" + std::to_string(i), all[i]->Subject);
        EXPECT_EQ("Ann", all[i]->Sender);
        EXPECT_EQ("Inbox", all[i]->Folder);
        EXPECT_EQ(mpHigh, all[i]->Priority);
    }
    add(0);  // the queue taken, bodies are kept again
    EXPECT_EQ(body, queue.Take()->Body.size());
    // Told always: ahead of every other, behind those told always before,
    // its body kept however many wait; still so after a put-back.
    const auto urgent = [&](const char* subject) {
        auto note = Note("Inbox", "Boss", subject, "text");
        note->Always = true;
        queue.Add(std::move(note));
    };
    for (size_t i = 0; i < limit; ++i) add(i);
    urgent("urgent 1"), urgent("urgent 2");
    std::vector<std::unique_ptr<TNotification>> taken;
    for (const char* subject : {"urgent 1", "urgent 2", "m0"}) {
        taken.push_back(queue.Take());
        EXPECT_EQ(subject, taken.back()->Subject);
    }
    EXPECT_EQ("text", taken[1]->Body);
    urgent("urgent 3");
    queue.PutBack(std::move(taken));
    for (const char* subject : {"urgent 1", "urgent 2", "urgent 3", "m0", "m1"}) EXPECT_EQ(subject, queue.Take()->Subject);
}

// At 96, 120 and 144 DPI (the font's line and the small icon growing with
// them) and in a popup narrowed or lowered to its limits, no label overlaps
// another, the icon only sits beside the subject, and all stay inside; a
// folder line of any length (a summary's count per folder) leaves the sender
// half the line.
TEST(PopupLayoutTest, NothingOverlapsAtAnyFontSize) {
    const TPopupMetrics fonts[] = {{13, 16}, {16, 20}, {20, 24}, {16, 16}};
    for (const TPopupMetrics& m : fonts) {
        for (const int32_t width : {m.Scaled(292), m.Scaled(150)}) {
          for (const int32_t folderWidth : {m.Scaled(60), m.Scaled(5000)}) {
            SCOPED_TRACE(std::to_string(m.LineHeight) + " px lines, " + std::to_string(width) + " wide, folder " +
                         std::to_string(folderWidth));
            const int32_t height = MinimumPopupHeight(m) - m.Scaled(30);  // the client of the smallest window
            for (const TMailPriority priority : {mpHigh, mpNormal}) {
                const TSubjectLayout subject = SubjectLayout(priority, width, m);
                const TPopupLayout l = LayoutPopup(width, height, m, folderWidth, subject.Left,
                                                   width - subject.Left - subject.Width);
                EXPECT_GE(l.Sender.Right - l.Sender.Left, (width - m.Scaled(20)) / 2);
                EXPECT_LE(l.Folder.Right - l.Folder.Left, FolderLineRoom(width, m));
                auto overlap = [](const TRect& a, const TRect& b) {
                    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
                };
                const TRect labels[] = {l.Folder, l.Sender, l.Subject, l.Body};
                for (size_t i = 0; i < 4; ++i) {
                    EXPECT_GE(labels[i].Left, 0) << i;
                    EXPECT_LE(labels[i].Right, width) << i;
                    EXPECT_LE(labels[i].Bottom, height) << i;
                    EXPECT_GE(labels[i].Bottom - labels[i].Top, m.LineHeight) << i;
                    for (size_t j = i + 1; j < 4; ++j) EXPECT_FALSE(overlap(labels[i], labels[j])) << i << " " << j;
                }
                if (subject.ImageIndex >= 0) {
                    EXPECT_FALSE(overlap(l.Icon, l.Subject));
                    EXPECT_FALSE(overlap(l.Icon, l.Sender));
                    EXPECT_FALSE(overlap(l.Icon, l.Body));
                }
            }
          }
        }
    }
}

// The body label's fit, measured by a label that holds `room` characters.
TEST(BodyFit, LongestStartThatFitsEndsInAnEllipsisAtAWord) {
    const std::string kLongWord = "Supercalifragilisticexpialidocious";
    const struct {
        const char* what;
        std::string text;
        size_t room;
        std::string shown;
        bool list = false;  // cut between lines
    } cases[] = {
        {"fits whole", "Hello Bob", 100, "Hello Bob"},
        {"fits to the last character", "abc def", 7, "abc def"},
        {"empty", "", 0, ""},
        {"one over: cut at the last blank", "abc def", 6, "abc\u2026"},
        {"the word cut in two is left out", "The quick brown fox jumps", 12, "The quick\u2026"},
        {"a cut at a blank keeps its word", "The quick brown fox", 10, "The quick\u2026"},
        {"a word longer than half the room is cut inside", "To " + kLongWord, 12, "To Supercal\u2026"},
        {"no blank at all", kLongWord + " is long", 10, "Supercali\u2026"},
        {"blank lines before the cut go", "First line.\r\n\r\nSecond line here", 14, "First line.\u2026"},
        {"tabs before the cut go", "Total:\t\t\t\t12 apples and more", 9, "Total:\u2026"},
        {"Cyrillic cut between characters", "\u0414\u043e\u0441\u0442\u043e\u043f\u0440\u0438\u043c\u0435\u0447\u0430", 8,
         "\u0414\u043e\u0441\u0442\u043e\u043f\u0440\u2026"},
        {"Greek cut at a word", "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5", 10,
         "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1\u2026"},
        {"a four-byte character is never split", "ab\U0001F600\U0001F600\U0001F600cd", 4, "ab\U0001F600\u2026"},
        {"nothing fits: the ellipsis alone", "Hello", 0, "\u2026"},
        {"only blanks fit", "   \r\n   Hello world", 4, "\u2026"},
        {"a list that fits whole", "Ann: Hi\r\nBob: Lunch", 100, "Ann: Hi\r\nBob: Lunch", true},
        {"a list cut after its second line", "Ann: Hi\r\nBob: Lunch\r\nCy: Notes", 22, "Ann: Hi\r\nBob: Lunch\r\n\u2026", true},
        {"a list cut after its first line", "Ann: Hi\r\nBob: Lunch\r\nCy: Notes", 21, "Ann: Hi\r\n\u2026", true},
        {"not one line of a list fits", "Ann: Hello there\r\nBob: x", 8, "Ann:\u2026", true},
    };
    for (const auto& c : cases) {
        int asked = 0;
        const auto fit = c.list ? FitLinesWithEllipsis : FitWithEllipsis;
        const std::string shown = fit(c.text, [&](const std::string& text) {
            ++asked;
            // Characters, not bytes: a UTF-8 lead byte starts one.
            return size_t(std::count_if(text.begin(), text.end(), [](char ch) { return (ch & 0xC0) != 0x80; })) <=
                   c.room;
        });
        EXPECT_EQ(c.shown, shown) << c.what;
        EXPECT_LE(asked, 12) << c.what;
    }
}

// A long body is never measured whole, and only a few times.
TEST(BodyFit, LongBodyIsMeasuredInFewShortPieces) {
    std::string body;
    while (body.size() < 500000) body += "lorem ipsum dolor sit amet, ";
    int asked = 0;
    size_t longest = 0;
    const std::string shown = FitWithEllipsis(body, [&](const std::string& text) {
        ++asked;
        longest = std::max(longest, text.size());
        return text.size() <= 300;
    });
    // Three bytes of ellipsis after 297 of text, which end with a word.
    EXPECT_EQ(body.substr(0, 297) + kEllipsis, shown);
    EXPECT_EQ("dolor", body.substr(292, 5));
    EXPECT_LE(asked, 16);
    EXPECT_LE(longest, 600u);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
