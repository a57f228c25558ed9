#include "servicerouter.h"

#include "guidexml.h"
#include "platform/codepage936.h"
#include "playlistpages.h"
#include "tone.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

const QByteArray kHtml = "text/html; charset=gb2312";
const QByteArray kText = "text/plain; charset=gb2312";
constexpr int kMaxAccountField = 20; // the login dialog takes at most 20 characters

const char *const kStyle = R"(
body{margin:0;font:14px "Microsoft YaHei","WenQuanYi Micro Hei",sans-serif;color:#223;background:#f3f6fb}
.wrap{max-width:760px;margin:0 auto;padding:14px 20px}
h1{font-size:20px;color:#1c4f8c;margin:6px 0 12px}
h2{font-size:16px;color:#1c4f8c;margin:4px 0 8px}
a{color:#1c62b9;text-decoration:none}
a:hover{text-decoration:underline}
.card{background:#fff;border:1px solid #d8e0ec;border-radius:6px;padding:10px 16px;margin:10px 0}
.grid{display:flex;flex-wrap:wrap;gap:6px}
.grid a{display:block;padding:6px 10px;background:#eef3fa;border-radius:4px}
.muted{color:#889;font-size:12px}
table{border-collapse:collapse}
td,th{border:1px solid #d8e0ec;padding:4px 10px}
input{font:inherit;padding:3px 6px}
)";

QString esc(const QString &text) { return text.toHtmlEscaped(); }

// A visitor's text on a page that carries an announcement block: the client
// reads the block from the page's text, where character references are
// already resolved, so "$" and "*" are shown in their full-width forms and
// the text can neither open nor end a block.
QString escNotice(QString text)
{
    text.replace(QLatin1Char('$'), QChar(0xFF04)).replace(QLatin1Char('*'), QChar(0xFF0A));
    return esc(text);
}

ServiceAnswer htmlAnswer(const QString &title, const QString &body, int status = 200)
{
    const QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"gb2312\"><title>%1</title>"
                                        "<style>%2</style></head>\n<body>%3</body></html>\n")
                             .arg(esc(title), QString::fromLatin1(kStyle), body);
    return {status, kHtml, servicepages::encodeHtml(html)};
}

ServiceAnswer textAnswer(const QString &text) { return {200, kText, cp936::fromUnicode(text)}; }

ServiceAnswer notFound()
{
    return htmlAnswer(QStringLiteral("404 页面不存在"),
                      QStringLiteral("<div class=\"wrap\"><h1>404 页面不存在</h1><p>没有这个页面。"
                                     "<a href=\"/\">返回首页</a></p></div>"),
                      404);
}

enum class Visitor { Plain, Guest, Ordinary, Vip };

QString gradeText(bool vip) { return vip ? QStringLiteral("VIP用户") : QStringLiteral("普通用户"); }

// The number at the end of "/play/tv/12" and the like; 0 when there is none.
int trailingNumber(const QString &path, const QString &prefix, const QString &suffix = {})
{
    if (!path.startsWith(prefix) || !path.endsWith(suffix))
        return 0;
    bool ok = false;
    const int n = path.mid(prefix.size(), path.size() - prefix.size() - suffix.size()).toInt(&ok);
    return ok && n > 0 ? n : 0;
}

const ServiceChannel *channelAt(const QList<ServiceChannel> &channels, const QString &path)
{
    for (const ServiceChannel &channel : channels) {
        if (QUrl(channel.url).path() == path)
            return &channel;
    }
    return nullptr;
}

const char *const kTvScript = R"(
const c=document.getElementById('screen'),g=c.getContext('2d');
const name=document.getElementById('name').textContent;
const bars=['#c0c0c0','#c0c000','#00c0c0','#00c000','#c000c0','#c00000','#0000c0'];
function fit(){c.width=innerWidth;c.height=innerHeight;}
addEventListener('resize',fit);fit();
let frames=0;const start=performance.now();
function draw(now){
  const w=c.width,h=c.height,t=(now-start)/1000;frames++;
  bars.forEach((col,i)=>{g.fillStyle=col;g.fillRect(Math.floor(i*w/7),0,Math.ceil(w/7)+1,h*0.66);});
  for(let x=0;x<w;x+=4){const v=Math.floor(128+127*Math.sin(x/37-t*4));g.fillStyle='rgb('+v+','+v+','+v+')';g.fillRect(x,h*0.66,4,h*0.1);}
  g.fillStyle='#111';g.fillRect(0,h*0.76,w,h*0.24);
  const r=h*0.07,bx=r+(w-2*r)*(0.5+0.5*Math.sin(t*1.3)),by=h*0.88;
  g.fillStyle='#fff';g.beginPath();g.arc(bx,by,r*0.6,0,2*Math.PI);g.fill();
  g.save();g.translate(w*0.9,h*0.14);g.rotate(t*2);g.fillStyle='rgba(255,255,255,.85)';
  g.fillRect(-2,-h*0.08,4,h*0.08);g.restore();
  g.fillStyle='rgba(0,0,0,.65)';g.fillRect(w*0.1,h*0.22,w*0.8,h*0.26);
  g.fillStyle='#fff';g.textAlign='center';g.textBaseline='middle';
  g.font='bold '+Math.floor(h*0.09)+'px sans-serif';g.fillText(name,w/2,h*0.30);
  const d=new Date(),p=n=>String(n).padStart(2,'0');
  g.font=Math.floor(h*0.06)+'px monospace';
  g.fillText(p(d.getHours())+':'+p(d.getMinutes())+':'+p(d.getSeconds())+'  #'+frames,w/2,h*0.41);
  requestAnimationFrame(draw);
}
requestAnimationFrame(draw);
)";

const char *const kRadioScript = R"(
const c=document.getElementById('wave'),g=c.getContext('2d'),a=document.getElementById('sound');
const state=document.getElementById('state'),button=document.getElementById('play');
function fit(){c.width=innerWidth;c.height=innerHeight;}
addEventListener('resize',fit);fit();
function playing(){state.textContent='\u6b63\u5728\u64ad\u653e\u6d4b\u8bd5\u97f3';button.style.display='none';}
function blocked(){state.textContent='\u70b9\u51fb\u64ad\u653e';button.style.display='inline-block';}
button.onclick=()=>a.play().then(playing,blocked);
a.play().then(playing,blocked);
const start=performance.now();
function draw(now){
  const w=c.width,h=c.height,t=(now-start)/1000,n=48,bw=w/n;
  g.fillStyle='#102030';g.fillRect(0,0,w,h);
  for(let i=0;i<n;i++){
    const v=a.paused?0.04:0.15+0.35*Math.abs(Math.sin(t*3+i*0.45)*Math.cos(t*1.7+i*0.21));
    g.fillStyle='hsl('+(190+i*2)+',70%,55%)';g.fillRect(i*bw+1,h*(1-v),bw-2,h*v);
  }
  requestAnimationFrame(draw);
}
requestAnimationFrame(draw);
)";

struct NoticePage
{
    const char *slug;
    const char *title;
};

const NoticePage kNotices[] = {
    {"schedule", "节目预告"}, {"help", "使用帮助"}, {"vip", "VIP专区"}, {"upgrade", "升级VIP"},
};

QString noticeTitle(const QString &slug)
{
    for (const NoticePage &page : kNotices) {
        if (slug == QLatin1String(page.slug))
            return QString::fromUtf8(page.title);
    }
    return {};
}

} // namespace

namespace servicepages {

QByteArray encodeHtml(const QString &html)
{
    QString safe;
    safe.reserve(html.size());
    for (qsizetype i = 0; i < html.size(); ++i) {
        const QChar ch = html.at(i);
        if (ch.unicode() < 0x80 || cp936::code(ch) != cp936::NoCode) {
            safe += ch;
            continue;
        }
        char32_t codePoint = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < html.size() && html.at(i + 1).isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(ch, html.at(++i));
        safe += QStringLiteral("&#%1;").arg(quint32(codePoint));
    }
    return cp936::fromUnicode(safe);
}

QString announcementBlock(const QList<QPair<QString, QString>> &items)
{
    QStringList fields;
    for (const auto &item : items)
        fields << item.first << item.second;
    return QStringLiteral("$$$*") + fields.join(QLatin1Char('*')) + QStringLiteral("*$$$");
}

} // namespace servicepages

ServiceRouter::ServiceRouter(ServiceData &data, const StreamMedia *media)
    : m_data(data)
    , m_streams(media)
{
}

ServiceAnswer ServiceRouter::answer(const ServiceRequest &request)
{
    if (request.method != u"GET")
        return htmlAnswer(QStringLiteral("405"), QStringLiteral("<div class=\"wrap\"><h1>405 只接受 GET</h1></div>"), 405);
    // Paths are matched without regard to case ("/user/Download2.asp" and the like).
    const QString path = request.path.toLower();
    if (path == u"/" || path == u"/index.html")
        return index();
    if (path == u"/user/denglu.asp")
        return login(request);
    if (path == u"/user/yanzhen.asp")
        return verification(request);
    if (path == u"/user/jiemubiao.asp")
        return list(m_data.tv());
    if (path == u"/user/diantaibiao.asp")
        return list(m_data.radio());
    if (path == u"/user/download2.asp")
        return accountPage(request);
    if (path == u"/user/reg.asp")
        return signUp(request);
    if (path.startsWith(u"/play/"))
        return play(path);
    if (path.startsWith(u"/tone/"))
        return tone(path);
    if (path.startsWith(u"/notice/"))
        return notice(path);
    if (path == u"/guide.xml")
        return {200, "text/xml; charset=utf-8", serviceGuideXml(m_data.tv(), QDateTime::currentDateTime())};
    if (path == u"/playlist/tv.m3u8")
        return {200, "audio/x-mpegurl; charset=utf-8", playlistpages::tvM3u8(m_data)};
    if (path == u"/playlist/radio.pls")
        return {200, "audio/x-scpls; charset=utf-8", playlistpages::radioPls(m_data)};
    if (StreamChannels::isStreamPath(path))
        return m_streams.answer(path, request);
    return notFound();
}

ServiceAnswer ServiceRouter::login(const ServiceRequest &request) const
{
    const QString name = request.value(QStringLiteral("yh"));
    const ServiceAccount *account = m_data.account(name);
    if (name.isEmpty() || !account || account->password != request.value(QStringLiteral("pw")))
        return textAnswer(QStringLiteral("账号或者密码错误"));
    return textAnswer(account->vip ? QStringLiteral("VIP用户 欢迎回来，全部高清频道已开放")
                                   : QStringLiteral("普通用户 欢迎回来，升级VIP可关闭公告栏"));
}

ServiceAnswer ServiceRouter::verification(const ServiceRequest &request) const
{
    const QString name = request.value(QStringLiteral("yh"));
    const ServiceAccount *account = name == u"guest" ? nullptr : m_data.account(name);
    const Visitor visitor = !request.hasQuery ? Visitor::Plain
        : !account                            ? Visitor::Guest
        : account->vip                        ? Visitor::Vip
                                              : Visitor::Ordinary;
    auto link = [this](const char *title, const QString &path) {
        return QPair<QString, QString>(QString::fromUtf8(title), m_data.pageBase() + path);
    };
    QList<QPair<QString, QString>> items{link("节目预告", QStringLiteral("/notice/schedule"))};
    QString greeting;
    switch (visitor) {
    case Visitor::Vip:
        greeting = QStringLiteral("欢迎 %1（VIP用户），全部高清频道已为您开放。").arg(escNotice(name));
        items << link("VIP专区", QStringLiteral("/notice/vip"));
        break;
    case Visitor::Ordinary:
        greeting = QStringLiteral("欢迎 %1（普通用户）。升级VIP可关闭本公告栏。").arg(escNotice(name));
        items << link("升级VIP", QStringLiteral("/notice/upgrade"));
        break;
    case Visitor::Guest:
        greeting = name.isEmpty() || name == u"guest"
            ? QStringLiteral("欢迎试用澄屿高清网络电视，登录后可同步节目表。")
            : QStringLiteral("账号 %1 尚未注册，欢迎注册。").arg(escNotice(name));
        items << link("用户注册", QStringLiteral("/user/reg.asp"));
        break;
    case Visitor::Plain:
        greeting = QStringLiteral("欢迎使用澄屿高清网络电视，请从菜单「账号登陆」登录。");
        items << link("用户注册", QStringLiteral("/user/reg.asp"));
        break;
    }
    items << link("使用帮助", QStringLiteral("/notice/help"));
    const QString body = QStringLiteral("<div style=\"padding:4px 10px\"><b>澄屿公告</b>　%1 今日节目详见菜单栏。</div>"
                                        "<div class=\"muted\" style=\"padding:0 10px\">%2</div>")
                             .arg(greeting, esc(servicepages::announcementBlock(items)));
    return htmlAnswer(QStringLiteral("澄屿公告"), body);
}

ServiceAnswer ServiceRouter::list(const QList<ServiceChannel> &channels) const
{
    return textAnswer(m_data.listText(channels));
}

QString ServiceRouter::channelGrid(const QList<ServiceChannel> &channels) const
{
    QString grid = QStringLiteral("<div class=\"grid\">");
    for (const ServiceChannel &channel : channels)
        grid += QStringLiteral("<a href=\"%1\">%2</a>").arg(esc(m_data.servedUrl(channel.url)), esc(channel.name));
    return grid + QStringLiteral("</div>");
}

ServiceAnswer ServiceRouter::accountPage(const ServiceRequest &request) const
{
    const QString name = request.value(QStringLiteral("yh"));
    const ServiceAccount *account = m_data.account(name);
    const QString who = account
        ? QStringLiteral("账号：<b>%1</b>　等级：<b>%2</b>").arg(esc(name), gradeText(account->vip))
        : QStringLiteral("尚未登录。请从菜单「账号登陆」登录；还没有账号？<a href=\"/user/reg.asp\">用户注册</a>");
    const QString body = QStringLiteral("<div class=\"wrap\"><h1>澄屿高清网络电视</h1><div class=\"card\">%1</div>"
                                        "<div class=\"card\"><h2>电视频道</h2>%2</div>"
                                        "<div class=\"card\"><h2>广播电台</h2>%3</div>"
                                        "<p class=\"muted\">从左侧列表或上面的链接选台。这里的频道都是本机生成的测试信号。</p>"
                                        "</div>")
                             .arg(who, channelGrid(m_data.tv()), channelGrid(m_data.radio()));
    return htmlAnswer(QStringLiteral("我的账号"), body);
}

ServiceAnswer ServiceRouter::signUp(const ServiceRequest &request)
{
    const QString form = QStringLiteral(
        "<form class=\"card\" method=\"get\" action=\"/user/reg.asp\">"
        "<p>用户名：<input name=\"yh\" maxlength=\"20\"></p>"
        "<p>密　码：<input name=\"pw\" type=\"password\" maxlength=\"20\"></p>"
        "<p><input type=\"submit\" value=\"注册\"></p></form>");
    QString message;
    if (request.has(QStringLiteral("yh"))) {
        const QString name = request.value(QStringLiteral("yh")).trimmed();
        const QString password = request.value(QStringLiteral("pw"));
        static const QRegularExpression blank(QStringLiteral("\\s"));
        if (name.isEmpty() || password.isEmpty())
            message = QStringLiteral("用户名和密码都要填写。");
        else if (name.size() > kMaxAccountField || password.size() > kMaxAccountField)
            message = QStringLiteral("用户名和密码最多 20 个字符。");
        else if (password.contains(blank) || name.contains(blank) || name == u"guest")
            message = QStringLiteral("用户名和密码不能含空格，也不能用 guest。");
        else if (const ServiceData::SignUp result = m_data.addAccount({name, password, false});
                 result == ServiceData::SignUp::Taken)
            message = QStringLiteral("账号 %1 已存在，请换一个用户名。").arg(esc(name));
        else if (result == ServiceData::SignUp::Full)
            message = QStringLiteral("演示服务的注册名额已满，请用演示账号登录。");
        else
            return htmlAnswer(QStringLiteral("注册成功"),
                              QStringLiteral("<div class=\"wrap\"><h1>注册成功</h1><div class=\"card\">账号 <b>%1</b> "
                                             "已注册为普通用户。现在可以从菜单「账号登陆」登录。</div>"
                                             "<p class=\"muted\">演示服务把新账号保存在内存里，服务停止后失效。</p></div>")
                                  .arg(esc(name)));
    }
    const QString note = message.isEmpty() ? QString() : QStringLiteral("<div class=\"card\">%1</div>").arg(message);
    return htmlAnswer(QStringLiteral("用户注册"),
                      QStringLiteral("<div class=\"wrap\"><h1>用户注册</h1>%1%2</div>").arg(note, form));
}

ServiceAnswer ServiceRouter::play(const QString &path) const
{
    if (trailingNumber(path, QStringLiteral("/play/tv/"))) {
        const ServiceChannel *channel = channelAt(m_data.tv(), path);
        if (!channel)
            return notFound();
        return htmlAnswer(channel->name,
                          QStringLiteral("<canvas id=\"screen\" style=\"display:block\"></canvas>"
                                         "<span id=\"name\" hidden>%1</span><script>%2</script>")
                              .arg(esc(channel->name), QString::fromLatin1(kTvScript)));
    }
    const int station = trailingNumber(path, QStringLiteral("/play/radio/"));
    const ServiceChannel *channel = station ? channelAt(m_data.radio(), path) : nullptr;
    if (!channel)
        return notFound();
    return htmlAnswer(
        channel->name,
        QStringLiteral("<canvas id=\"wave\" style=\"position:fixed;left:0;top:0\"></canvas>"
                       "<div style=\"position:fixed;left:0;right:0;top:28%;text-align:center;color:#fff\">"
                       "<div style=\"font-size:30px;font-weight:bold\">%1</div>"
                       "<div id=\"state\" style=\"margin:10px;color:#9cf\">正在连接…</div>"
                       "<button id=\"play\" style=\"display:none;font-size:18px;padding:6px 18px\">&#9654; 播放</button>"
                       "</div><audio id=\"sound\" src=\"/tone/radio/%2.wav\" loop autoplay></audio><script>%3</script>")
            .arg(esc(channel->name))
            .arg(station)
            .arg(QString::fromLatin1(kRadioScript)));
}

ServiceAnswer ServiceRouter::tone(const QString &path) const
{
    const int station = trailingNumber(path, QStringLiteral("/tone/radio/"), QStringLiteral(".wav"));
    if (!station)
        return notFound();
    return {200, "audio/wav", stationWav(station)};
}

ServiceAnswer ServiceRouter::notice(const QString &path) const
{
    const QString slug = path.mid(QStringLiteral("/notice/").size());
    const QString title = noticeTitle(slug);
    if (title.isEmpty())
        return notFound();
    QString content;
    if (slug == u"schedule") {
        static const char *const shows[] = {"新闻联播", "热播剧场", "综艺大观", "体育赛事", "纪录片", "晚间新闻"};
        static const char *const times[] = {"19:00", "19:30", "20:00", "21:30", "22:30"};
        content = QStringLiteral("<table><tr><th>频道</th>");
        for (const char *time : times)
            content += QStringLiteral("<th>%1</th>").arg(QLatin1String(time));
        content += QStringLiteral("</tr>");
        for (qsizetype i = 0; i < qMin<qsizetype>(8, m_data.tv().size()); ++i) {
            content += QStringLiteral("<tr><td>%1</td>").arg(esc(m_data.tv().at(i).name));
            for (int t = 0; t < 5; ++t)
                content += QStringLiteral("<td>%1</td>").arg(QString::fromUtf8(shows[(i + t) % 6]));
            content += QStringLiteral("</tr>");
        }
        content += QStringLiteral("</table>");
    } else if (slug == u"help") {
        content = QStringLiteral(
            "<ul><li>在左侧列表点一下频道即可收看；「更新网络电视节目表」从服务取回最新的列表。</li>"
            "<li>快速选台：输入频道名的拼音首字母、名称的一部分或编号。</li>"
            "<li>最小化后程序留在托盘，双击托盘图标恢复。</li>"
            "<li>VIP用户没有公告栏，播放区更大。</li></ul>");
    } else if (slug == u"vip") {
        content = QStringLiteral("<p>感谢您的支持！VIP用户收看全部高清频道，播放区不再显示公告栏。</p>");
    } else {
        content = QStringLiteral("<p>VIP用户收看全部高清频道，播放区更大，没有公告栏。"
                                 "演示服务里的 VIP 账号见数据文件 accounts.txt。</p>");
    }
    return htmlAnswer(title, QStringLiteral("<div class=\"wrap\"><h1>%1</h1><div class=\"card\">%2</div></div>")
                                 .arg(title, content));
}

ServiceAnswer ServiceRouter::index() const
{
    const QString base = m_data.pageBase();
    QString links;
    const QStringList paths = {
        QStringLiteral("/user/yanzhen.asp"),      QStringLiteral("/user/yanzhen.asp?yh=guest"),
        QStringLiteral("/user/jiemubiao.asp?yh="), QStringLiteral("/user/diantaibiao.asp?yh="),
        QStringLiteral("/user/Download2.asp?yh="), QStringLiteral("/user/reg.asp"),
        QStringLiteral("/playlist/tv.m3u8"),        QStringLiteral("/playlist/radio.pls"),
    };
    for (const QString &path : paths)
        links += QStringLiteral("<li><a href=\"%1\">%1</a></li>").arg(esc(path));
    return htmlAnswer(QStringLiteral("澄屿服务"),
                      QStringLiteral("<div class=\"wrap\"><h1>澄屿服务</h1><div class=\"card\"><ul>%1</ul></div>"
                                     "<div class=\"card\"><h2>电视频道</h2>%2</div>"
                                     "<div class=\"card\"><h2>广播电台</h2>%3</div>"
                                     "<p class=\"muted\">页面地址：%4</p></div>")
                          .arg(links, channelGrid(m_data.tv()), channelGrid(m_data.radio()), esc(base)));
}
