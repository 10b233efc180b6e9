// The user's never- and always-announce rules against senders' addresses and
// subjects: wildcards, domains, subject words in any script, which list
// wins, lines that are no rule, and patterns built to be slow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AnnounceRules.h"
#include "app/RuleChoices.h"
#include "texts/Language.h"

namespace pellumo {
namespace test {
namespace {

using Lines = std::vector<std::string>;

// The rule that decides, as the log names it; "" for none.
std::string Decided(const Lines& never, const Lines& always, const std::string& address, const std::string& subject) {
    return RuleName(MatchAnnounceRules(ParseAnnounceRules(never, always), address, subject));
}

TEST(AnnounceRules, DecideByTheSendersAddressOrTheSubjectsWords) {
    const struct {
        const char* what;
        Lines never, always;
        std::string address, subject, decided;
    } cases[] = {
        // Addresses: the whole of it, letter case aside.
        {"an address", {"boss@example.org"}, {}, "Boss@Example.ORG", "", "NeverAnnounce rule 1"},
        {"only the whole address", {"boss@example.org"}, {}, "boss@example.org.evil.example", "", ""},
        {"nor a part of one", {"boss@example.org"}, {}, "bigboss@example.org", "", ""},
        {"any mailbox of a host", {"*@news.example.org"}, {}, "daily@news.example.org", "", "NeverAnnounce rule 1"},
        {"not another host", {"*@news.example.org"}, {}, "daily@example.org", "", ""},
        {"a mailbox at any host", {"newsletter@*"}, {}, "NewsLetter@shop.example", "", "NeverAnnounce rule 1"},
        {"not another mailbox", {"newsletter@*"}, {}, "news@shop.example", "", ""},
        {"a whole domain", {"@example.org"}, {}, "anyone@example.org", "", "NeverAnnounce rule 1"},
        {"that domain only", {"@example.org"}, {}, "anyone@mail.example.org", "", ""},
        {"one character", {"?oss@example.org"}, {}, "boss@example.org", "", "NeverAnnounce rule 1"},
        {"exactly one", {"?oss@example.org"}, {}, "oss@example.org", "", ""},
        {"blanks around the line", {"  boss@example.org \t"}, {}, "boss@example.org", "", "NeverAnnounce rule 1"},
        {"no address, no match", {"*@*"}, {}, "", "Hi", ""},
        {"an address in Cyrillic", {u8"ОЛЬГА@ПРИМЕР.РФ"}, {}, u8"ольга@пример.рф", "", "NeverAnnounce rule 1"},
        {"and its domain", {u8"@пример.рф"}, {}, u8"Ольга@Пример.РФ", "", "NeverAnnounce rule 1"},
        {"full-width letters", {u8"ＢＯＳＳ@example.org"}, {}, "boss@example.org", "", "NeverAnnounce rule 1"},
        // Subjects: every word, in any order, each a whole word.
        {"a word", {"subject:invoice"}, {}, "a@b.c", "Your INVOICE is ready", "NeverAnnounce rule 1"},
        {"a whole word", {"subject:invoice"}, {}, "a@b.c", "Invoices for May", ""},
        {"or a word's start", {"subject:invoice*"}, {}, "a@b.c", "Invoices for May", "NeverAnnounce rule 1"},
        {"words in any order", {"subject:overdue invoice"}, {}, "a@b.c", "Invoice 42: overdue!", "NeverAnnounce rule 1"},
        {"every word", {"subject:overdue invoice"}, {}, "a@b.c", "Invoice 42", ""},
        {"punctuation parts words", {"subject:e-mail"}, {}, "a@b.c", "Your E-Mail (new)", "NeverAnnounce rule 1"},
        {"emoji part words", {"subject:sale"}, {}, "a@b.c", u8"🔥SALE🔥 today", "NeverAnnounce rule 1"},
        {"the prefix in any case", {"Subject: Sale"}, {}, "a@b.c", "sale", "NeverAnnounce rule 1"},
        {"Cyrillic case", {u8"subject:Рассылка"}, {}, "a@b.c", u8"РАССЫЛКА: новости", "NeverAnnounce rule 1"},
        {"Greek capitals drop accents", {u8"subject:Καλημέρα"}, {}, "a@b.c", u8"ΚΑΛΗΜΕΡΑ σας", "NeverAnnounce rule 1"},
        {"Greek final sigma", {u8"subject:ΝΕΑΣ"}, {}, "a@b.c", u8"προσφορά νέας", "NeverAnnounce rule 1"},
        {"sharp s", {u8"subject:straße"}, {}, "a@b.c", "STRASSE gesperrt", "NeverAnnounce rule 1"},
        {"Latin accents count", {u8"subject:café"}, {}, "a@b.c", "CAFE", ""},
        {"Vietnamese case", {u8"subject:HÓA ĐƠN"}, {}, "a@b.c", u8"hóa đơn tháng 5", "NeverAnnounce rule 1"},
        {"Japanese within a sentence", {u8"subject:請求書"}, {}, "a@b.c", u8"【重要】請求書のお知らせ", "NeverAnnounce rule 1"},
        {"but not another word", {u8"subject:請求書"}, {}, "a@b.c", u8"請求のお知らせ", ""},
        {"a Latin word beside kana", {"subject:amazon"}, {}, "a@b.c", u8"Amazon注文確認", "NeverAnnounce rule 1"},
        {"Korean with a particle", {u8"subject:회의"}, {}, "a@b.c", u8"내일 회의는 취소", "NeverAnnounce rule 1"},
        {"Thai", {u8"subject:ใบแจ้งหนี้"}, {}, "a@b.c", u8"ส่งใบแจ้งหนี้แล้ว", "NeverAnnounce rule 1"},
        {"the subject only", {"subject:boss"}, {}, "boss@example.org", "Hello", ""},
        // Which rule: Always over Never, then the first in its list, by line.
        {"always wins", {"@example.org"}, {"boss@example.org"}, "boss@example.org", "", "AlwaysAnnounce rule 1"},
        {"never where always does not match", {"@example.org"}, {"boss@example.org"}, "ann@example.org", "",
         "NeverAnnounce rule 1"},
        {"by its line, blank ones and others counted", {"", "not a rule", "x@y.z", "subject:hi", "@y.z"}, {}, "a@y.z",
         "Hi there", "NeverAnnounce rule 4"},
        {"always by a subject", {}, {"subject:urgent", "@example.org"}, "ann@example.org", "URGENT: call me",
         "AlwaysAnnounce rule 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.decided, Decided(c.never, c.always, c.address, c.subject)) << c.what;
}

// A line that is neither an address pattern nor subject:WORDS is left out
// and listed, once, by its list and line; a blank one is just left out.
TEST(AnnounceRules, LinesThatAreNoRuleAreListedAndMatchNothing) {
    const Lines never = {"John Smith", "", "boss@", "subject:", "subject: ,;!", "boss @example.org", "Boss <b@x.y>",
                         "   ", "b@x.y"};
    const Lines always = {"example.org", "@"};
    const TAnnounceRules rules = ParseAnnounceRules(never, always);
    const std::vector<TRuleMatch> ignored = {{TRuleList::Never, 1}, {TRuleList::Never, 3}, {TRuleList::Never, 4},
                                             {TRuleList::Never, 5}, {TRuleList::Never, 6}, {TRuleList::Never, 7},
                                             {TRuleList::Always, 1}, {TRuleList::Always, 2}};
    EXPECT_EQ(ignored, rules.Ignored);
    EXPECT_EQ(1u, rules.Never.size());
    EXPECT_EQ("", RuleName(MatchAnnounceRules(rules, "john smith@example.org", "John Smith")));
    EXPECT_EQ("NeverAnnounce rule 9", RuleName(MatchAnnounceRules(rules, "b@x.y", "")));
}

// Every `*` of a pattern could be tried at every place of the text: a
// matcher that does so never ends on these. Each must end, and be right.
TEST(AnnounceRules, PatternsBuiltToBeSlowEndAtOnce) {
    std::string stars;
    for (int i = 0; i < 30; ++i) stars += "*a";
    const std::string longName(20000, 'a');
    EXPECT_EQ("", Decided({stars + "*b@x.org"}, {}, longName + "@x.org", ""));
    EXPECT_EQ("NeverAnnounce rule 1", Decided({stars + "*b@x.org"}, {}, longName + "b@x.org", ""));
    EXPECT_EQ("", Decided({"subject:" + stars + "*b"}, {}, "a@b.c", longName + " " + longName));
    EXPECT_EQ("", Decided({u8"subject:" + stars + u8"*請"}, {}, "a@b.c", longName));
    EXPECT_EQ("NeverAnnounce rule 1", Decided({"subject:***a*****b"}, {}, "a@b.c", "x " + longName + "b"));
}

// The popup's menu offers never the sender, never the sender's domain and
// always the sender, in the user's language with the address shown as it
// is; each rule it adds decides that sender's mail, and is added once.
TEST(RuleChoices, OfferTheSenderAndTheDomainAndEachDecidesTheSendersMail) {
    const std::vector<TRuleChoice> choices = RuleChoicesFor("R&D@Example.org");
    ASSERT_EQ(3u, choices.size());
    EXPECT_EQ("&Never announce mail from R&&D@Example.org", choices[0].Label);
    EXPECT_EQ("Never announce &mail from *@Example.org", choices[1].Label);
    EXPECT_EQ("&Always announce mail from R&&D@Example.org", choices[2].Label);
    const char* const decided[] = {"NeverAnnounce rule 1", "NeverAnnounce rule 1", "AlwaysAnnounce rule 1"};
    for (size_t i = 0; i < choices.size(); ++i) {
        SCOPED_TRACE(choices[i].Label);
        TUserSettings values;
        EXPECT_TRUE(AddRuleChoice(values, choices[i]));
        EXPECT_EQ(decided[i], Decided(values.NeverAnnounce, values.AlwaysAnnounce, "r&d@example.org", ""));
        EXPECT_EQ(i == 1 ? decided[i] : "",
                  Decided(values.NeverAnnounce, values.AlwaysAnnounce, "someone@example.org", ""));
    }
    TUserSettings values;
    values.NeverAnnounce = {"subject:lottery", "r&d@EXAMPLE.org"};
    EXPECT_FALSE(AddRuleChoice(values, choices[0])) << "there already, letter case aside";
    EXPECT_TRUE(AddRuleChoice(values, choices[1]));
    EXPECT_EQ((Lines {"subject:lottery", "r&d@EXAMPLE.org", "*@Example.org"}), values.NeverAnnounce);
    // Chosen for the other list, the same rule leaves the one it was in,
    // else Always would go on winning over the user's Never.
    values.AlwaysAnnounce = {"boss@example.org", "R&D@example.ORG"};
    EXPECT_TRUE(AddRuleChoice(values, choices[0]));
    EXPECT_EQ(Lines {"boss@example.org"}, values.AlwaysAnnounce);
    EXPECT_EQ("NeverAnnounce rule 2", Decided(values.NeverAnnounce, values.AlwaysAnnounce, "r&d@example.org", ""));
    EXPECT_TRUE(AddRuleChoice(values, choices[2]));
    EXPECT_EQ((Lines {"subject:lottery", "*@Example.org"}), values.NeverAnnounce);

    SetUserLanguage("de");
    EXPECT_EQ("Mail von boss@example.org &nie melden", RuleChoicesFor("boss@example.org").at(0).Label);
    SetUserLanguage("en");
    // No address (a summary), an address that would match others, none without a domain.
    EXPECT_TRUE(RuleChoicesFor("").empty());
    EXPECT_TRUE(RuleChoicesFor("*@example.org").empty());
    EXPECT_TRUE(RuleChoicesFor("b?ss@example.org").empty());
    EXPECT_EQ(2u, RuleChoicesFor("postmaster").size());
    EXPECT_EQ(2u, RuleChoicesFor("odd@").size());
}

}  // namespace
}  // namespace test
}  // namespace pellumo
