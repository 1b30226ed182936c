// The regular-expression engine against Perl. Every case runs through our engine and through one
// perl child process; where the two syntaxes mean the same, the answers must be equal: all matches
// with their groups (searching on from just after each match, as ExecNext does), the substitution
// of a template after the first match, replace and split. Our engine runs with Perl's default
// modifiers ("g-irsmx"); Perl runs with /a so that \d, \s and \w are the ASCII classes that our
// default SpaceChars and WordChars hold.
//
// The second table lists where the two differ by design; there the test checks that they do
// differ, and that our engine gives the answer its own rules give.

#include "regex/RegexEngine.h"
#include "platform/base/Lists.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace {

// ---- What Perl runs ----

const char* const PerlScript = R"PERL(
use strict;
no warnings;
use feature 'unicode_strings';
binmode STDOUT;
# utf8::decode leaves ASCII text as bytes: Perl's UTF-8 paths only see texts that need them.
sub unhex { my $x = pack('H*', $_[0]); utf8::decode($x); return $x; }
sub enhex { my $x = $_[0]; utf8::encode($x); return unpack('H*', $x); }
sub groups {
    my $l = "$-[0]:" . ($+[0] - $-[0]);
    for my $g (1 .. 14) { $l .= defined $-[$g] ? " $-[$g]:" . ($+[$g] - $-[$g]) : " -"; }
    return $l . " #" . $#-;
}
sub expand { my $v = eval "\"$_[0]\""; return defined $v ? $v : ''; }
open(my $in, '<', $ARGV[0]) or die "cannot read $ARGV[0]";
while (my $line = <$in>) {
    chomp $line;
    my ($id, $kind, $mods, $p, $s, $t) = split /\t/, $line, -1;
    ($p, $s, $t) = map { unhex($_) } ($p, $s, $t);
    my $re = eval { $mods eq '' ? qr/$p/a : qr/(?$mods)$p/a };
    if (!defined $re) { print "$id\tE\n"; next; }
    my $out = '';
    if ($kind eq 'm') {
        my @all; my $off = 0;
        while ($off <= length($s) && @all < 1000) {
            pos($s) = $off;
            last unless $s =~ /$re/g;
            push @all, groups();
            $off = $+[0] == $-[0] ? $+[0] + 1 : $+[0];
        }
        $out = join('|', @all);
    } elsif ($kind eq 's') {
        $out = ($s =~ $re) ? 'S' . enhex(expand($t)) : '-';
    } elsif ($kind eq 'r') {
        my $r = ''; my $prev = 0; my $off = 0;
        while ($off <= length($s)) {
            pos($s) = $off;
            last unless $s =~ /$re/g;
            my ($st, $en) = ($-[0], $+[0]);
            $r .= substr($s, $prev, $st - $prev) . expand($t);
            $prev = $en;
            $off = $en == $st ? $en + 1 : $en;
        }
        $out = 'R' . enhex($r . substr($s, $prev));
    } elsif ($kind eq 'p') {
        my @pieces = split($re, $s, -1);
        $out = 'P' . scalar(@pieces) . ':' . join(',', map { enhex($_) } @pieces);
    }
    print "$id\t$out\n";
}
)PERL";

std::string Hex(const std::string& Bytes) {
    static const char Digits[] = "0123456789abcdef";
    std::string Out;
    for (unsigned char C : Bytes) {
        Out += Digits[C >> 4];
        Out += Digits[C & 15];
    }
    return Out;
}

// Our template in the syntax of a Perl double-quoted string.
std::string PerlTemplate(const std::string& T) {
    std::string Out;
    auto Literal = [&](char C) {
        if (C == '\\' || C == '"' || C == '$' || C == '@') Out += '\\';
        Out += C;
    };
    auto Group = [&](long N) { Out += N == 0 ? std::string("$&") : "${" + std::to_string(N) + "}"; };
    std::size_t I = 0;
    while (I < T.size()) {
        const char C = T[I++];
        if (C == '\\') {
            if (I < T.size()) Literal(T[I++]);
        } else if (C != '$' || I >= T.size())
            Literal(C);
        else if (T[I] == '&') {
            ++I;
            Group(0);
        } else if (isdigit(static_cast<unsigned char>(T[I]))) {
            long N = 0;
            while (I < T.size() && isdigit(static_cast<unsigned char>(T[I])))
                N = std::min(N * 10 + (T[I++] - '0'), 1000L);
            Group(N);
        } else if (T[I] == '{') {
            std::size_t J = I + 1;
            long N = -1;
            if (J < T.size() && T[J] == '&') {
                N = 0;
                ++J;
            } else
                while (J < T.size() && isdigit(static_cast<unsigned char>(T[J])))
                    N = std::max(N, 0L) * 10 + (T[J++] - '0');
            if (N >= 0 && J < T.size() && T[J] == '}') {
                I = J + 1;
                Group(N);
            } else
                Literal('$');
        } else
            Literal('$');
    }
    return Out;
}

// ---- The cases ----

struct TCase {
    char Kind; // m: all matches, s: substitution after the first match, r: replace, p: split
    std::string Mods;
    std::string Pattern;
    std::string Subject;
    std::string Template;
};

struct TMatchRow {
    const char* Mods;
    const char* Pattern;
    std::vector<const char*> Subjects;
};

// A sketch long enough that searches run their vector scans, with the ends of the text inside a
// vector's width of the last matches.
const char* const Sketch = "#include <Servo.h>\n  #include \"pins.h\"\nServo s; // the the serial port\n"
                           "void setup() {\n  Serial.begin(9600);\n  pinMode(13, OUTPUT);\n}\n"
                           "void loop() {\n  digitalWrite(13, HIGH);\tdelay(1000);\n  SERIAL_X = 1;"
                           " digitalwrite(x); Serial\r\n# include 42 42\n\t#include <a>\ndelay(7)";

// Patterns whose meaning is the same in both syntaxes, each with the subjects it runs over.
const TMatchRow MatchRows[] = {
    // searches over a longer text
    {"", "digitalWrite", {Sketch}},
    {"", "[0-9]+", {Sketch}},
    {"", "setup|loop|Serial|delay", {Sketch}},
    {"m", "^[ \\t]*#include", {Sketch}},
    {"m", "^[ \\t#a-z]*include <", {Sketch}},
    {"m", "^[# a-z0-9]*42$", {Sketch, "42\n42 42\n# 42x42\n"}},
    {"m", "^(\\w+)\\(1", {Sketch}},
    {"i", "\\bserial\\b", {Sketch}},
    {"", "\\b(\\w+)[ \\t]+\\1\\b", {Sketch}},
    {"", "[A-Z][A-Z_]", {Sketch}},
    {"", "[;{}]\\n", {Sketch}},
    {"", "<[A-Za-z]+\\.h>", {Sketch}},
    {"", "\\)$", {Sketch}},
    // literals and "."
    {"", "abc", {"abc", "xabcx", "ab", "abcabc", "", "ABC"}},
    {"", "a.c", {"abc", "a\nc", "axxc", "ac", "a c a-c"}},
    {"", "a.*c", {"abcabc", "ac", "a\nc", "xaxcx", "abc\nabc"}},
    {"", "a.+?c", {"abcabc", "ac", "abbc", "a\nbc"}},
    {"", "...", {"abcdefg", "ab", "a\nbcd"}},
    {"", "x", {"axbxcx", "", "y"}},
    {"", "aaa", {"aaaaaaa", "aa"}},
    {"", "ab]c}", {"ab]c}", "abc"}},
    {"", "a{x}", {"a{x}", "ax"}},
    {"", "{", {"a{b{"}},
    {"", "a{2", {"aa{2", "aa"}},
    {"", "a{1,2", {"a{1,2"}},
    // anchors
    {"", "^abc", {"abc", "xabc", "abcabc"}},
    {"", "abc$", {"abc", "abcx", "xabc", "abcabc"}},
    {"", "^$", {"", "a"}},
    {"", "^", {"abc", ""}},
    {"", "$", {"abc", ""}},
    {"", "^a|b$", {"ab", "ba", "aab"}},
    {"", "\\Aab", {"abab", "xab"}},
    {"", "ab\\Z", {"abab", "abx"}},
    {"m", "^\\w+", {"one\ntwo\nthree", "\nx", "a\n\nb"}},
    {"m", "\\w+$", {"one\ntwo\nthree", "x\n\ny"}},
    {"m", "^$", {"a\n\nb", "\n\n1"}},
    {"m", "^b", {"a\nb", "ab", "b\nb"}},
    {"m", "a$", {"a\na", "ab\na"}},
    {"m", "^.+$", {"ab\ncd\nef"}},
    {"m", "\\Ab", {"b\nb"}},
    {"m", "b\\Z", {"b\nb", "bb"}},
    // classes
    {"", "[abc]+", {"xxabcbax", "def", "cab"}},
    {"", "[^abc]+", {"abcxyzabc", "abc"}},
    {"", "[a-z]+", {"Hello World", "123", "a-z"}},
    {"", "[A-Za-z_][A-Za-z0-9_]*", {"int x1 = y_2;", "9lives _x"}},
    {"", "[0-9]+", {"a1b22c333", "none"}},
    {"", "[]a]+", {"]a]b", "b"}},
    {"", "[^]a]+", {"]ab]", "]a"}},
    {"", "[a-]+", {"x-a-", "b"}},
    {"", "[-a]+", {"x-a-"}},
    {"", "[a\\-z]+", {"b-az", "bcd"}},
    {"", "[\\d.]+", {"3.14 x", "v1.2.3"}},
    {"", "[\\w]+", {"a_1 b-2"}},
    {"", "[\\s]+", {"a \t\nb"}},
    {"", "[\\w.-]+@[\\w.-]+", {"mail me@example.org now", "a@b @c"}},
    {"", "[\\x41-\\x43]+", {"ABCD", "abc"}},
    {"", "[\\t ]+", {"a \t b"}},
    {"", "[.*+?]+", {"a.*+?b"}},
    {"", "[$^]+", {"a$^b"}},
    {"", "[a^]+", {"^a^"}},
    {"", "[(|)]+", {"a(|)b"}},
    {"", "[\\]]+", {"a]]b"}},
    {"", "[\\\\]+", {"a\\\\b"}},
    {"", "[--/]+", {"a-./b"}},
    {"", "[%--]+", {"a%,-b"}},
    {"", "[a-a]", {"bab"}},
    {"", "[^\\d\\s]+", {"12 ab 34"}},
    {"", "[^a-z]", {"abC1"}},
    {"", "x[^x]*x", {"axbcxdx", "xx"}},
    {"", "\\[\\]", {"a[]b"}},
    // escapes
    {"", "\\d+", {"ab 12, cd\t34", "x"}},
    {"", "\\D+", {"ab 12, cd\t34"}},
    {"", "\\w+", {"ab 12, cd\t34", "__init__"}},
    {"", "\\W+", {"ab 12, cd\t34"}},
    {"", "\\s+", {"ab 12, cd\t34\r\n", "x"}},
    {"", "\\S+", {"ab 12, cd\t34"}},
    {"", "\\bfoo\\b", {"a foo.", "afoo", "foo", "foobar foo", "foo_"}},
    {"", "\\Bo\\B", {"foo boo", "o"}},
    {"", "\\b", {"ab cd", "", " "}},
    {"", "\\B", {"ab cd", ""}},
    {"", "\\b\\w", {"one two  three"}},
    {"", "\\w\\b", {"one two  three"}},
    {"", "\\t", {"a\tb"}},
    {"", "\\n", {"a\nb"}},
    {"", "\\r\\n", {"a\r\nb"}},
    {"", "\\f", {"a\fb"}},
    {"",
     "\\e",
     {"a\x1b"
      "b"}},
    {"", "\\a", {"a\ab"}},
    {"", "\\x41", {"zAz"}},
    {"", "\\x{42}", {"zBz"}},
    {"", "\\x{e9}", {"caf\xc3\xa9"}},
    {"", "\\.", {"a.b"}},
    {"", "a\\+b", {"a+b", "aab"}},
    {"", "\\(\\)", {"f()"}},
    {"", "\\{\\}", {"{}"}},
    {"", "\\$\\^", {"a$^"}},
    {"", "\\|", {"a|b"}},
    {"", "\\/", {"a/b"}},
    {"", "\\-", {"a-b"}},
    // alternation
    {"", "cat|dog", {"hotdog catalog", "bird"}},
    {"", "a|ab|abc", {"abc"}},
    {"", "abc|ab|a", {"abc"}},
    {"", "(a|ab)(c|bcd)", {"abcd"}},
    {"", "|a", {"ab"}},
    {"", "a|", {"ab"}},
    {"", "a||b", {"ab"}},
    {"", "(|a)b", {"ab", "b"}},
    {"", "setup|loop|digitalWrite", {"void setup() { digitalWrite(1); } void loop()"}},
    {"", "x(y|z)|xy", {"xy xz"}},
    {"", "(a|b|c|d|e)+", {"abcdefedcba"}},
    {"", "(abc|ab|abcd|b)d", {"abcd", "abd xbd abcdd"}},
    {"", "(ab|abc|a|ab)(cd|c)e", {"abce abcde ace", "abcdx"}},
    {"", "(on|one|ones|o)+s", {"ononeones onesos", "os"}},
    {"", "caf\xc3\xa9|\xc3\xa9t\xc3\xa9|\xc3\xa9", {"un caf\xc3\xa9 l'\xc3\xa9t\xc3\xa9 \xc3\xa9"}},
    // groups
    {"", "(a)(b)(c)", {"abc", "abd"}},
    {"", "((a)b)", {"ab"}},
    {"", "((((a))))", {"a"}},
    {"", "(a)|(b)", {"b", "a", "ab"}},
    {"", "(a)|b", {"b"}},
    {"", "(a*)b", {"aab", "b"}},
    {"", "(a*)(a*)", {"aaa"}},
    {"", "(a+)+b", {"aaab", "aaa"}},
    {"", "(\\w+)\\s(\\w+)", {"hello world", "one two three"}},
    // repetitions that must give characters back, and ones that need not
    {"", "[a-c]+c", {"abccd", "abab", "xcc"}},
    {"", "[ab]+b(x|y)", {"abbby abx ax"}},
    {"", "\\d+\\.\\d+[a-z]", {"1.2.3b 10.20x 7.a"}},
    {"", "[a-z]+(\xc3\xa9|\\d)", {"caf\xc3\xa9 x1 \xc3\xa9t\xc3\xa9"}},
    {"", "[^ ]+ ?x", {"abx ab x ab  x"}},
    {"", "(a|b)*c", {"ababc", "c", "abd"}},
    {"", "(ab)+", {"ababab", "abba"}},
    {"", "(a(b)?)+", {"aab", "abab"}},
    {"", "((a)|b)+", {"ab", "ba", "bab"}},
    {"", "(a)|(b)|(c)", {"cba"}},
    {"", "(x)?y", {"y", "xy"}},
    {"", "(x)?(y)?z", {"z", "yz", "xz"}},
    {"", "(a|(b))+", {"ab", "ba"}},
    {"", "(([a-c])x)+", {"axbxcx"}},
    {"", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)(n)", {"abcdefghijklmn"}},
    {"", "(\\d+)-(\\d+)-(\\d+)", {"on 2024-01-31 at"}},
    {"", "(.)(.)(.)", {"abcdefg"}},
    {"", "()", {"ab"}},
    {"", "(a)()b", {"ab"}},
    // quantifiers
    {"", "a*", {"baaa", "", "aaa", "b"}},
    {"", "a+", {"baaab", "b"}},
    {"", "a?", {"ab", "ba"}},
    {"", "a{2}", {"aaaaa", "a"}},
    {"", "a{2,}", {"aaaaa", "a", "aa"}},
    {"", "a{2,3}", {"aaaaaaa", "a"}},
    {"", "a{0,2}", {"aaa", "b"}},
    {"", "a{0}", {"aa"}},
    {"", "a{1}b", {"aab"}},
    {"", "a*?", {"aaa"}},
    {"", "a+?", {"aaa"}},
    {"", "a??b", {"ab", "b"}},
    {"", "a{2,3}?", {"aaaa"}},
    {"", "a{2,}?", {"aaaa"}},
    {"", "a*?b", {"aaab"}},
    {"", "a+?b", {"aaab", "b"}},
    {"", "ab*", {"abbbc", "a"}},
    {"", "ab+?", {"abbb"}},
    {"", "ab?c", {"ac", "abc", "abbc"}},
    {"", "a.?c", {"ac", "abc"}},
    {"", "(ab){2}", {"ababab", "ab"}},
    {"", "(ab){2,}", {"abababx", "abx"}},
    {"", "(ab){1,2}", {"ababab"}},
    {"", "(ab){1,2}?", {"ababab"}},
    {"", "(ab){0,1}c", {"abc", "c"}},
    {"", "(a|b){3}", {"abbab", "ab"}},
    {"", "(a|b){2,}?c", {"ababc"}},
    {"", "(a|bc)*d", {"abcad", "d"}},
    {"", "x(a|bc)+?y", {"xabcay", "xy"}},
    {"", "(a.)*?b", {"a1a2b", "b"}},
    {"", "(ab)*?c", {"ababc", "c"}},
    {"", "(a|b)*?b", {"aab"}},
    {"", "(a+|b+)*c", {"aabbac"}},
    {"", "<.*>", {"<a><b>", "<>"}},
    {"", "<.*?>", {"<a><b>"}},
    {"", "<[^>]*>", {"<a><b>"}},
    {"", "\\d{3}-\\d{4}", {"555-1234 and 555-12345", "55-1234"}},
    {"", "\\w{2,4}", {"abcdefg hi x"}},
    {"", "\\w{2,4}?", {"abcdefg"}},
    {"", "(\\w{2}){2}", {"abcdef"}},
    {"", "((ab){2}c){2}", {"ababcababc"}},
    {"", "((a|b){2}){2}", {"abba"}},
    {"", "(a{2}){2}", {"aaaaa"}},
    {"", "([ab]{2}){1,2}?c", {"ababc"}},
    {"", ".*foo", {"xfooyfoo"}},
    {"", ".*?foo", {"xfooyfoo"}},
    {"", "a.*b.*c", {"a1b2c3c"}},
    {"", "(a.*)(b.*)", {"aabb"}},
    {"", "[a-z]*[0-9]", {"abc123"}},
    {"", "x*y*z*", {"xxzzy"}},
    // back-references
    {"", "(a)\\1", {"aa", "ab", "aaa"}},
    {"", "(\\w+) \\1", {"the the cat", "a b"}},
    {"", "\\b(\\w+)\\s+\\1\\b", {"it is is fine", "is isn't"}},
    {"", "(a|b)\\1+", {"aaab bbba"}},
    {"", "(a*)\\1", {"aaaa", "aaa"}},
    {"", "(.)\\1", {"hello", "abc"}},
    {"", "(.)(.)\\2\\1", {"abba xyyx"}},
    {"", "(a)(b)?\\2c", {"ac", "abbc"}},
    {"", "(\\d)\\1*", {"1112233"}},
    {"", "(ab)\\1{2}", {"abababab"}},
    {"", "(ab)\\1*?x", {"ababx"}},
    {"", "([a-c])x\\1", {"axa bxa"}},
    // inside its own group a back-reference is the text of the last whole pass
    {"", "(a\\1?){2}", {"aaa", "aa"}},
    {"", "(a|\\1b)+", {"aab", "abab"}},
    {"", "(a|b\\1)+", {"abab", "ba"}},
    {"", "(\\1a|b)?(c)", {"bc", "c"}},
    {"", "(x\\1{0,2}?y)+", {"xyxxyy"}},
    // case-insensitive
    {"i", "abc", {"ABC", "aBc", "xyz"}},
    {"i", "[a-c]+", {"ABCabcd"}},
    {"i", "[^a]+", {"AaB"}},
    {"i", "[A-Z]+", {"azAZ09"}},
    {"i", "(a)\\1", {"aA", "Aa"}},
    {"i", "\\bserial\\b", {"serial SERIAL Serial.begin serials"}},
    {"i", "x*", {"XxX"}},
    {"i", "a+?b", {"AaB"}},
    {"i", "caf\xc3\xa9", {"CAF\xc3\x89", "caf\xc3\xa9"}},
    {"i", "[\xc3\xa0-\xc3\xa9]+", {"\xc3\x80\xc3\x89x"}},
    {"i", "\\d+\\w", {"12A"}},
    // inline modifiers
    {"", "(?i)abc", {"ABC"}},
    {"", "a(?i)bc", {"aBC", "ABC"}},
    {"", "((?i)a)b", {"Ab", "AB"}},
    {"", "a(?i)b|c", {"C", "aB", "AB"}},
    {"", "(a(?i)b)c", {"aBc", "aBC"}},
    {"", "(?s)a.b", {"a\nb"}},
    {"", "(?m)^b", {"a\nb"}},
    {"", "(?x) a b c ", {"abc"}},
    {"", "(?i-i)a", {"A", "a"}},
    {"i", "(?-i)a", {"A", "a"}},
    {"", "(?#comment)abc", {"abc"}},
    // s: "." takes line breaks
    {"s", "a.c", {"a\nc"}},
    {"s", ".+", {"ab\ncd"}},
    {"s", "<.*?>", {"<a\nb>"}},
    // x: extended syntax
    {"x", "a b c", {"abc", "a b c"}},
    {"x", "a\\ b", {"a b"}},
    {"x", "a # comment\n b", {"ab"}},
    {"x", "[ ]", {"a b"}},
    {"x", "a *", {"aaa"}},
    {"x", "a b +", {"abbb"}},
    {"x", "( a | b ) +", {"abba"}},
    {"x", "\\d {2}", {"12345"}},
    // combinations from the IDE's function list
    {"",
     "\\b(unsigned)?((void)|(int)|(String)|(boolean)|(bool)|(char)|(uint8_t)|(uint16_t)|(int8_t)|(int16_t)|("
     "long))"
     "\\s+[A-Za-z_0-9]*\\s*\\(.*\\)",
     {"void setup() {", "int readSensor(int pin)", "unsigned long now()", "  x = foo(1);", "boolean  ok ()"}},
    {"", "\\#define\\s+[A-Za-z_0-9]+\\s*[A-Za-z_0-9]+", {"#define LED 13", "#define X", "# define Y 1"}},
    {"",
     "\\bconst\\s+(int|String|boolean|bool|char|uint8_t|uint16_t|int8_t|int16_t|byte|long)\\s+[A-Za-z_0-9]+"
     "\\s*[,=;\\[]",
     {"const int ledPin = 13;", "const byte x[4];", "constant int y;"}},
    {"",
     "\\b(unsigned)?\\s*(int|String|boolean|bool|char|uint8_t|uint16_t|int8_t|int16_t|byte|long)\\s+[A-Za-z_"
     "0-9]+\\s*[,=;\\[]",
     {"int x = 0;", "unsigned long t;", "  char buf[10];", "int f(void)"}},
    {"",
     "\\b[A-Za-z_0-9]+\\s+[A-Za-z_0-9]+\\s*[,=;\\[\\(]",
     {"Servo myservo;", "LiquidCrystal lcd(12, 11);", "x = y;"}},
};

struct TTemplateRow {
    char Kind; // s or r
    const char* Mods;
    const char* Pattern;
    const char* Subject;
    const char* Template;
};

const TTemplateRow TemplateRows[] = {
    {'r', "", "a", "banana", "o"},
    {'r', "", "(\\w+)@(\\w+)", "x me@host y", "$2 at $1"},
    {'r', "", "(a)(b)?", "ab a", "[$1|$2]"},
    {'r', "", "\\s+", "a  b   c", " "},
    {'r', "", "(\\d+)", "a1b22", "<$1>"},
    {'r', "", "x*", "axb", "-"},
    {'r', "", "a*", "baaac", "<$&>"},
    {'r', "", "(a)", "aaa", "${1}b"},
    {'r', "", "a", "aaa", "$&$&"},
    {'r', "", "(o)", "foo", "$0"},
    {'r', "", "(x)", "x", "[$15]"},
    {'r', "", "b", "abc", "$"},
    {'r', "", "b", "abc", "${x}"},
    {'r', "", "b", "abc", "$x"},
    {'r', "", "b", "abc", "${1"},
    {'r', "", "(b)", "abc", "\\$1"},
    {'r', "", "([a-z]+)(\\d+)", "foo123 bar4", "$2$1"},
    {'r', "i", "hello", "Hello HELLO", "bye"},
    {'r', "", "^", "abc", ">"},
    {'r', "", "$", "abc", "<"},
    {'r', "m", "^", "a\nb\nc", "> "},
    {'r', "", "\\b", "ab cd", "|"},
    {'r', "", "(\\w)(\\w)", "abcde", "$2$1"},
    {'r', "", "(a)|(b)", "abc", "[$1$2]"},
    {'r', "", "(?i)X", "axbXc", "${0}${0}"},
    {'r', "", "(.)\\1", "aabbcd", "<$1>"},
    {'r', "", "(a|b)*", "abcab", "($1)"},
    {'r', "", "[aeiou]", "programming language", "*"},
    {'r', "", "(\\d+)\\.(\\d+)", "v1.2 and 10.20", "$2.$1"},
    {'s', "", "(x+)", "axxb", "[$1]"},
    {'s', "", "(x+)", "axxb", "$15"},
    {'s', "", "(x+)", "axxb", "\\$1"},
    {'s', "", "(\\w+) (\\w+)", "hello world", "$2, $1!"},
    {'s', "", "(a)|(b)", "b", "1=$1 2=$2"},
    {'s', "", "(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)(\\d)", "01234567890", "$11$10$1"},
    {'s', "", "a(b)c", "xabcx", "${1}1 $& ${&}"},
    {'s', "", "nothing", "abc", "$&"},
};

struct TSplitRow {
    const char* Pattern;
    const char* Subject;
};

const TSplitRow SplitRows[] = {
    {",", "a,b,,c"},
    {",", ",a,"},
    {"\\s+", "a b  c"},
    {"[,;]", "a;b,c"},
    {"x", "abc"},
    {"ab", "ab"},
    {"ab", "xabyabz"},
    {"\\d+", "a1b22c"},
    {", *", "a, b,c"},
    {"a|b", "xaybz"},
    {"\\W+", "one, two; three."},
    {"-", "---"},
    {"\\.", "a.b.c"},
    {"[^a-z]+", "ab12cd"},
};

// Where the two differ by design: our engine follows its own rules.
struct TDifference {
    char Kind;
    const char* Mods;
    const char* Pattern;
    const char* Subject;
    const char* Ours; // our answer, in the comparison format
    const char* Why;
};

const TDifference Differences[] = {
    {'m', "", "a$", "a\n", "", "\"$\" without m is the end of the input only, not before a final line break"},
    {'m', "", "a\\Z", "a\n", "", "\\Z is the end of the input only"},
    {'m', "", "a\\z", "az", "0:2 - - - - - - - - - - - - - - #0", "\\z is the letter z"},
    {'m', "m", "^", "a\n", "0:0 - - - - - - - - - - - - - - #0|2:0 - - - - - - - - - - - - - - #0",
     "\"^\" with m also matches after a line break at the very end"},
    {'m', "m", "a$", "a\r\nb", "0:1 - - - - - - - - - - - - - - #0",
     "CR, VT, FF, U+0085, U+2028 and U+2029 are line separators too; CR LF is one break"},
    {'m', "", "a.b", "a\rb", "", "\".\" without s takes no line separator (CR among them)"},
    {'m', "", "a.b",
     "a\xc2\x85"
     "b",
     "", "\".\" without s takes no line separator (NEL among them)"},
    {'m', "", "\\s", "\x0b", "", "\\s is SpaceChars: blank, TAB, LF, CR, FF; not VT"},
    {'m', "", "[\\D]", "x", "", "in a class \\D, \\S and \\W stand for the letters"},
    {'m', "", "[\\b]", "b", "0:1 - - - - - - - - - - - - - - #0", "in a class \\b is the letter b"},
    {'m', "", "\\0", "0", "0:1 - - - - - - - - - - - - - - #0", "\\0 is the digit 0"},
    {'m', "", "\\v", "v", "0:1 - - - - - - - - - - - - - - #0", "escapes not listed stand for the character"},
    {'m', "", "\\h", "h", "0:1 - - - - - - - - - - - - - - #0", "escapes not listed stand for the character"},
    {'m', "", "a{,2}", "a{,2}", "0:5 - - - - - - - - - - - - - - #0", "\"{,m}\" is no quantifier"},
    {'m', "", "(a)\\2", "aa", "", "a reference to a group that does not exist never matches"},
    {'m', "i", "s", "\xc5\xbf", "", "case-insensitive means the one other case, not Unicode folding"},
    {'m', "", "(a*)*", "a", "E106", "a quantified operand that can be empty is refused"},
    {'m', "", "(|a)+", "a", "E106", "a quantified operand that can be empty is refused"},
    {'m', "", "\\b+", "a", "E106", "a quantified assertion is refused"},
    {'m', "", "(?:a)", "a", "E127", "there are no non-capturing groups"},
    {'m', "", "a++", "a", "E107", "no possessive quantifiers"},
    {'m', "", "a{2}{3}", "aaaaaa", "E107", "a quantifier after a quantifier is refused"},
    {'m', "", "(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)", "aaaaaaaaaaaaaaa", "E102",
     "at most 14 groups"},
    {'m', "", "\\x{10000}", "a", "E112", "\\x{...} takes up to four hexadecimal digits"},
    {'m', "", "\\x1", "\x01", "E111", "\\x takes two hexadecimal digits"},
    {'p', "", "x*", "ab", "P4:,61,62,", "split keeps the pieces around empty matches"},
    {'p', "", ",", "", "P1:", "split of an empty text gives one empty piece"},
    {'m', "", "x{2}{", "xx{", "E107", "any \"{\" after a quantifier is refused"},
    {'m', "", "a(?#comment)*", "aaa", "E106", "a comment is an atom of no width"},
    {'r', "", "", "abc", "E1003", "an empty expression is no expression"},
    {'m', "", "(a(b)?)+", "aba", "0:3 2:1 1:1 - - - - - - - - - - - - #2",
     "a group keeps the text of an earlier pass when a later pass does not reach it"},
    {'m', "", "((a)x|a)+", "axa", "0:3 2:1 0:1 - - - - - - - - - - - - #2",
     "a group holds the text of the last pass that completed it, not of an attempt that failed"},
};

// ---- Our side ----

std::string OurAnswer(const TCase& C) {
    TRegexEngine R;
    R.SetModifierStr(u"g-irsmx");
    if (!C.Mods.empty()) R.SetModifierStr(Utf8ToString(C.Mods));
    R.SetExpression(Utf8ToString(C.Pattern));
    const String Subject = Utf8ToString(C.Subject);
    try {
        R.Compile();
    } catch (const ERegexEngine& E) {
        return "E" + std::to_string(E.ErrorCode());
    }
    switch (C.Kind) {
    case 'm': {
        std::string Out;
        if (R.Exec(Subject)) do {
                if (!Out.empty()) Out += '|';
                Out += std::to_string(R.MatchStart(0) - 1) + ":" + std::to_string(R.MatchLength(0));
                for (int G = 1; G <= 14; ++G)
                    Out += R.MatchStart(G) < 0 ? std::string(" -")
                                               : " " + std::to_string(R.MatchStart(G) - 1) + ":" +
                                                     std::to_string(R.MatchLength(G));
                Out += " #" + std::to_string(R.SubExprMatchCount());
            } while (R.ExecNext());
        return Out;
    }
    case 's':
        if (!R.Exec(Subject)) return "-";
        return "S" + Hex(U8(R.Substitute(Utf8ToString(C.Template))));
    case 'r':
        return "R" + Hex(U8(R.Replace(Subject, Utf8ToString(C.Template), true)));
    default: {
        TStringList Pieces;
        R.Split(Subject, &Pieces);
        std::string Out = "P" + std::to_string(Pieces.Count()) + ":";
        for (int I = 0; I < Pieces.Count(); ++I)
            Out += (I ? "," : "") + Hex(U8(Pieces.Strings(I)));
        return Out;
    }
    }
}

// ---- The run ----

class RegexPerl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const auto& Row : MatchRows)
            for (const char* S : Row.Subjects)
                Agreeing().push_back({'m', Row.Mods, Row.Pattern, S, ""});
        for (const auto& Row : TemplateRows)
            Agreeing().push_back({Row.Kind, Row.Mods, Row.Pattern, Row.Subject, Row.Template});
        for (const auto& Row : SplitRows)
            Agreeing().push_back({'p', "", Row.Pattern, Row.Subject, ""});
        for (const auto& D : Differences)
            Differing().push_back({D.Kind, D.Mods, D.Pattern, D.Subject, ""});

        TTempFolder Folder;
        std::string Lines;
        auto Write = [&](const std::string& Id, const TCase& C) {
            Lines += Id + "\t" + C.Kind + "\t" + C.Mods + "\t" + Hex(C.Pattern) + "\t" + Hex(C.Subject) +
                     "\t" + Hex(PerlTemplate(C.Template)) + "\n";
        };
        for (std::size_t I = 0; I < Agreeing().size(); ++I)
            Write("a" + std::to_string(I), Agreeing()[I]);
        for (std::size_t I = 0; I < Differing().size(); ++I)
            Write("d" + std::to_string(I), Differing()[I]);
        WriteBytes(Folder.Sys("cases.txt"), Lines);
        WriteBytes(Folder.Sys("run.pl"), PerlScript);

        // One perl process answers every case.
        const std::string Command = "perl '" + Folder.Sys("run.pl") + "' '" + Folder.Sys("cases.txt") + "'";
        FILE* Pipe = popen(Command.c_str(), "r");
        ASSERT_NE(Pipe, nullptr);
        std::string Output;
        char Buffer[65536];
        std::size_t N;
        while ((N = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0)
            Output.append(Buffer, N);
        ASSERT_EQ(pclose(Pipe), 0) << Output;
        std::size_t Start = 0;
        while (Start < Output.size()) {
            std::size_t End = Output.find('\n', Start);
            if (End == std::string::npos) End = Output.size();
            const std::string Line = Output.substr(Start, End - Start);
            const std::size_t Tab = Line.find('\t');
            if (Tab != std::string::npos) Answers()[Line.substr(0, Tab)] = Line.substr(Tab + 1);
            Start = End + 1;
        }
    }

    static std::vector<TCase>& Agreeing() {
        static std::vector<TCase> V;
        return V;
    }
    static std::vector<TCase>& Differing() {
        static std::vector<TCase> V;
        return V;
    }
    static std::map<std::string, std::string>& Answers() {
        static std::map<std::string, std::string> M;
        return M;
    }
};

std::string Describe(const TCase& C) {
    return std::string(1, C.Kind) + " /" + C.Pattern + "/" + C.Mods + " on \"" + C.Subject + "\"" +
           (C.Template.empty() ? "" : " with \"" + C.Template + "\"");
}

} // namespace

TEST_F(RegexPerl, AgreesWhereTheSyntaxesMeanTheSame) {
    ASSERT_GT(Agreeing().size(), 300u);
    for (std::size_t I = 0; I < Agreeing().size(); ++I) {
        const TCase& C = Agreeing()[I];
        const auto It = Answers().find("a" + std::to_string(I));
        ASSERT_NE(It, Answers().end()) << Describe(C);
        EXPECT_EQ(OurAnswer(C), It->second) << Describe(C);
    }
}

TEST_F(RegexPerl, DiffersWhereTheSyntaxesDiffer) {
    for (std::size_t I = 0; I < Differing().size(); ++I) {
        const TCase& C = Differing()[I];
        const TDifference& D = Differences[I];
        const auto It = Answers().find("d" + std::to_string(I));
        ASSERT_NE(It, Answers().end()) << Describe(C);
        const std::string Ours = OurAnswer(C);
        EXPECT_EQ(Ours, D.Ours) << Describe(C) << ": " << D.Why;
        EXPECT_NE(Ours, It->second) << Describe(C) << ": Perl agrees now, although " << D.Why;
    }
}
