#include "scramblecodec.h"

#include <array>
#include <cmath>
#include <random>

namespace scramble {
namespace {

// Table 0 is the alphabet in ASCII order; tables 1 to 21 are fixed shuffles
// of it. Files written with other tables do not unscramble, so these never
// change. None of them holds a double quote, so the raw literals are safe.
constexpr const char *kTables[TableCount] = {
    R"(!#$%()*+,-./0123456789<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\]^_`abcdefghijklmnopqrstuvwxyz{|}~)",
    R"(>YcK/Pf~=W5Zp_m\$X2!|.#zkDH?hVUqyGITx89`OgR}M*B[a,S6+wbF7N1vr-@({u0tAjL)e^%J4Q<CoEs3dil]n)",
    R"(aPzQgREB6r18WmI<K_%)olO[3jX7]YykZ,5qx0+}D?hf\/Nvn{2.S(@L*T~iHu!MG4J$wdVes=#pA-^>Ut|Cc`Fb9)",
    R"(W-+?NQ>iMZPt}L{\X)e=~^g%u2CU<AaplzwD/.(RmK3@O$#JTcy9vrh`1fx7H8kb*FY6oj|V[]G5q_dIE,n!0sSB4)",
    R"(!`z[VEBpxl\6wm7>JoYAnHu1*kXdy$W(bgT|53,U^)rCsF]GOti/P2S<IM+_?#=8@v~N-h0a}Q9RDK{ce.%LZf4qj)",
    R"(#0SyB/64s\28~e{^>mVzhpkfCLr=?ZDiWTw`ldN|31}]<uGIqn*_!AUEgJ$QbR5xc,X-%F(j)Hv9POa.K7[Mto+@Y)",
    R"(5YNq~}mUx.]f^tg7_zdw#\hAoIS/Gun(=VMFOJ1`Z+D>8pK-Tel$*!{9EyB@W30srRQ<,2C%a?[HckibL|X)46jvP)",
    R"(q+KZA)!kdj$3=M~S\^N,B#DWp%JzV(w<FL}*rm0th-8y?/aniPR1Y4@ETQU[fg_uO5|v6bG7`H>{2cXI]s9.oxCle)",
    R"(Wz-1Tq4/(oSH!i<E`e.My#Rc6d^7Y>kXI@\At08xvOZp5mhNK,)]?9}+PlV2=Q[Gb%Fa3_Js*{rjBCUw$~Lu|fDgn)",
    R"(.9awBJh@EIv|d5O0xy^!jc*8G-$W~43lt?+U]`LF[YQK\mXupsAPHT7kgRo#q1%eD=<NMf6S>2)r/V,iC_Zzn{b(})",
    R"(P=yV9eK*bwUDa/8`uoE0v+?k{#|QS%!ns.Ar2hBTNO4WYX_Ct-c<\~x16@)I3MZ7p^(mq,>FfHiz$J]ld5jR}LgG[)",
    R"(dKizchIUo{.[,6b4`O8)#!C?ukj|9y73qYB*El=M<Ns(+g@ZFLTX%e]~xQ0_Pp^H1mA5VWw$-vSrfR/DG\}a2t>nJ)",
    R"(](~RW!LT9pr?q_bI3Pj^u*M0nGY2AxcgK<vXQei+4%`[,y7zf1Ok6dU$8F)=hlDBs-Sm}a\/#>N5VE{oZ@JwCHt.|)",
    R"(r*qzfJp[/SWZ]~iI2<+yxFMK(X,T}QY|.?$H`lNA\Pj8V36DhU=nmtGRa_dC9b)s0-cOkv4L7Bue{E1!%@w#g^o5>)",
    R"(WBY9I8}c>d64e[wXa7Pnuj/^.$1Nzo<h!-_p,lC)(Vs@?=fG~Oq*i\ktMJLDHREKy{%Qv]0+2ZSgF3b5TA#`rmxU|)",
    R"(JM/XUfY{%LjAV_R|oO->?CQ).vbpZ`m<xertk0Kwas@9\(8n4i+23h,B!I[gyTP^}1cWl~q7*GFd6=]N5Ez$SDH#u)",
    R"(`MLg}scI^\Cux@6~j0X.RyTk8,NfFJEVo]G=AK!2n_?zvBO{QrdW$H>Sit%a-[/p#U*h3159lbqwD()+|PZ4Yem<7)",
    R"(@p]9L-<S}.KxGmb63B_kuHj?8qhs>nR4`|N)tw*rJPozd#+Dv0FT(C[c~5XUQfiaeyA/$\%71YV!I,^{2ZW=glOEM)",
    R"(Wx7VU6bJ^#>0]14Ai~.?\g)B2O3anDuGZNI_kE$SFf|Y9<*w!-do[=j8,yP+L@etlq`{p5RT%}H/hQK(mXsczvCMr)",
    R"(eZa6vlV{/-4usCiG+R2$Yo0T|Ucw(!DW^Ex,O~IFkHPKz@3=7[}.BbQq%?81hmS`*y]#tNdJ\_Apj5XLfngr9)M><)",
    R"(B3`*#21w\CkaLx]%7lKA).WPtvo@$>TXmYGnjyipDH4bU9}I?<8-[Nq06Z5|+Q{c_s,udMRe!zJr~^gS(=FfhV/OE)",
    R"(Ri2F|9}{/3[LS*80B)gGy7$`@OHfE#,.^+-6JjQPehrl>W~5dcv!4sYx<kaXAIT(]\1mVZt%Down=CNKUzpbu?qM_)",
};

constexpr int kNoiseDigits = 8;
constexpr int kNoiseBeforeIndex = 6;
constexpr int kHeaderLength = 10;
constexpr int kNoiseFactor = 9;
constexpr char16_t kAsciiEnd = 128;

// position[k][c]: where the ASCII character c stands in table k, -1 when it
// is not in the alphabet.
using PositionMap = std::array<std::array<qint8, kAsciiEnd>, TableCount>;

PositionMap buildPositions()
{
    PositionMap map;
    for (int k = 0; k < TableCount; ++k) {
        map[k].fill(-1);
        for (int p = 0; p < TableLength; ++p)
            map[k][static_cast<unsigned char>(kTables[k][p])] = qint8(p);
    }
    return map;
}

int positionIn(int k, QChar c)
{
    static const PositionMap positions = buildPositions();
    const char16_t u = c.unicode();
    return u < kAsciiEnd ? positions[k][u] : -1;
}

// One draw: u times the factor, rounded half to even. The clamp keeps a
// faulty source from breaking the layout; a sound one never needs it.
int draw(const RandomSource &random, int factor)
{
    const double value = roundHalfEven((random ? random() : 0.0) * factor);
    if (!(value >= 0))
        return 0;
    return value > factor ? factor : int(value);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QLatin1String table(int k)
{
    if (k < 0 || k >= TableCount)
        return {};
    return QLatin1String(kTables[k], TableLength);
}

double programRandom()
{
    // Default-constructed, so every run repeats the same sequence.
    static std::mt19937_64 generator;
    // The top 53 bits fill a double's mantissa exactly: 0 <= u < 1.
    return double(generator() >> 11) * 0x1.0p-53;
}

double roundHalfEven(double x)
{
    const double lower = std::floor(x);
    const double rest = x - lower;
    if (rest > 0.5)
        return lower + 1;
    if (rest < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

double readNumber(QStringView field)
{
    qsizetype i = 0;
    const qsizetype n = field.size();
    while (i < n && isBlank(field[i]))
        ++i;
    bool negative = false;
    if (i < n && (field[i] == u'+' || field[i] == u'-')) {
        negative = field[i] == u'-';
        ++i;
    }
    double value = 0;
    for (; i < n && isDigit(field[i]); ++i)
        value = value * 10 + (field[i].unicode() - u'0');
    if (i < n && field[i] == u'.') {
        double scale = 1;
        for (++i; i < n && isDigit(field[i]); ++i) {
            scale *= 10;
            value += (field[i].unicode() - u'0') / scale;
        }
    }
    return negative ? -value : value;
}

} // namespace scramble

using namespace scramble;

QString ScrambleText(const QString &text)
{
    return ScrambleText(text, programRandom);
}

QString ScrambleText(const QString &text, const RandomSource &random)
{
    QString noise;
    for (int i = 0; i < kNoiseDigits; ++i)
        noise.append(QChar(char16_t(u'0' + draw(random, kNoiseFactor))));
    const int k = draw(random, DrawnTableLimit);
    const QLatin1String target = table(k);

    QString result = noise.left(kNoiseBeforeIndex);
    result.reserve(text.size() + kHeaderLength);
    result.append(QString::number(k).rightJustified(2, u'0'));
    result.append(noise.mid(kNoiseBeforeIndex));
    for (const QChar c : text) {
        const int p = positionIn(0, c);
        result.append(p < 0 ? c : QChar(target[p]));
    }
    return result;
}

QString UnscrambleText(const QString &text)
{
    if (text.size() <= kHeaderLength)
        return {};
    const double k = roundHalfEven(readNumber(QStringView(text).mid(kNoiseBeforeIndex, 2)));
    const bool known = k >= 0 && k < TableCount;
    const QLatin1String alphabet = table(0);

    QString result;
    result.reserve(text.size() - kHeaderLength);
    for (const QChar c : QStringView(text).mid(kHeaderLength)) {
        if (positionIn(0, c) < 0)
            result.append(c);
        else if (known)
            result.append(QChar(alphabet[positionIn(int(k), c)]));
    }
    return result;
}
