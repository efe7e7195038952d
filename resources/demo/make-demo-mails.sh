#!/usr/bin/env bash
# Writes the demo mailbox, 01-*.eml … 15-*.eml beside this script, from the UTF-8 texts
# below: everyday mails of a small company, the way Japanese mail programs send them
# (ISO-2022-JP bodies, headers as ISO-2022-JP encoded words, LF line ends), and three
# the way today's web shops, newsletter tools and mail programs send them (UTF-8
# encoded words, base64 bodies, HTML).
# The .eml files are committed; run this only after changing a text here.
#   resources/demo/make-demo-mails.sh
set -euo pipefail
cd "$(dirname "$0")"

jis() { iconv -f UTF-8 -t ISO-2022-JP; }

# One encoded word. The header decoder copies a word whose encoded text is longer than
# 155 bytes as it stands, so a text that would not fit is refused here.
word() {
    local text
    text=$(printf '%s' "$1" | jis | base64 -w0)
    if ((${#text} > 155)); then
        echo "make-demo-mails: encoded word too long (${#text} bytes): $1" >&2
        exit 1
    fi
    printf '=?ISO-2022-JP?B?%s?=' "$text"
}

# Subject pieces separated by "|" become one encoded word each, the later ones on folded
# continuation lines. A later piece must start with a double-byte character: adjacent
# words are joined into one JIS run.
subject() {
    local IFS='|' first=1 piece
    for piece in $1; do
        if ((first)); then
            printf 'Subject: %s' "$(word "$piece")"
            first=0
        else
            printf '\n %s' "$(word "$piece")"
        fi
    done
    printf '\n'
}

# UTF-8 encoded words, one per piece separated by "|" (a word stays short enough for
# every reader), on folded continuation lines.
utf8words() {
    local IFS='|' first=1 piece
    for piece in $1; do
        ((first)) || printf '\n '
        first=0
        printf '=?UTF-8?B?%s?=' "$(printf '%s' "$piece" | base64 -w0)"
    done
}

TO="$(word '山田 太郎') <yamada@midori.example.jp>"

# mail FILE "NAME" ADDRESS "DATE" "SUBJECT" [EXTRA-HEADER...] < body (UTF-8)
mail() {
    local file=$1 name=$2 address=$3 date=$4 subj=$5
    shift 5
    local id=${file%.eml}
    {
        printf 'Return-Path: <%s>\n' "$address"
        printf 'Date: %s\n' "$date"
        printf 'From: %s <%s>\n' "$(word "$name")" "$address"
        printf 'To: %s\n' "$TO"
        subject "$subj"
        printf 'Message-ID: <%s.%s@midori.example.jp>\n' "${id#*-}" "${id%%-*}"
        local header
        for header in "$@"; do printf '%s\n' "$header"; done
        if [[ " $* " != *" Content-Type: "* ]]; then
            printf 'MIME-Version: 1.0\n'
            printf 'Content-Type: text/plain; charset=ISO-2022-JP\n'
            printf 'Content-Transfer-Encoding: 7bit\n'
        fi
        printf '\n'
        jis
    } >"$file.tmp"
    mv "$file.tmp" "$file"
}

mail 01-meeting.eml '佐藤 花子' sato@midori.example.jp 'Mon, 3 Jun 2024 09:12:05 +0900' \
    '【定例】営業会議のお知らせ（6月5日）' 'X-Mailer: Midori Groupware 4.2' <<'EOF'
山田さん

お疲れさまです。総務の佐藤です。
今週の営業会議を下記のとおり行います。

日時：6月5日（水）10:00から11:30
場所：3階 第2会議室
議題：上期の売上見込み、新製品の販促計画

資料は前日までに共有フォルダに置いておきます。
ご都合が悪い場合は、明日中にご連絡ください。

佐藤 花子（総務課 内線 201）
EOF

mail 02-lunch.eml '鈴木 一郎' suzuki@midori.example.jp 'Mon, 3 Jun 2024 11:41:30 +0900' \
    '今日のランチ、どうですか？' <<'EOF'
山田さん

鈴木です。
駅前に新しくできた定食屋さん、今日行ってみませんか。
日替わり定食が八百円で、ご飯のおかわりが自由だそうです。
12時10分に1階ロビー集合でどうでしょう。
高橋さんと中村さんも来るそうです。

鈴木
EOF

mail 03-invoice.eml '青葉印刷株式会社 経理部' keiri@aoba-print.example.com \
    'Mon, 3 Jun 2024 15:03:48 +0900' '5月分ご請求書送付のご案内' <<'EOF'
株式会社みどり工房
山田 太郎 様

いつもお世話になっております。
青葉印刷株式会社 経理部の森でございます。

5月分のご請求書を本日郵送いたしました。
ご請求金額：48,400円（税込）
お支払期限：6月28日（金）

内訳はパンフレット印刷 2,000部、名刺印刷 3名様分です。
ご不明な点がございましたら、お気軽にお問い合わせください。

青葉印刷株式会社 経理部 森 由美
電話 03-5555-0134
EOF

mail 04-newsletter.eml 'みどり通信 編集部' shanaiho@midori.example.jp \
    'Tue, 4 Jun 2024 08:30:00 +0900' '社内報「みどり通信」6月号' <<'EOF'
みなさん、おはようございます。
社内報「みどり通信」6月号をお届けします。

■今月の話題
・新しいショールームが7月1日に開店します
・健康診断の日程が決まりました（6月18日と19日）
・社内ボウリング大会の結果発表

■今月の一枚
屋上の菜園でミニトマトが実りました。
収穫したトマトは食堂のサラダに使われます。

■お知らせ
梅雨の時期です。傘の置き忘れにご注意ください。
ロビーの忘れ物箱に傘が十二本たまっています。

次号は7月1日発行の予定です。
記事のご提案をお待ちしています。
EOF

# A CSV attachment in Shift_JIS, as a spreadsheet would write it.
csv=$(printf '品名,数量,単価,金額\r\n展示ブース設営,1,180000,180000\r\nパネル制作,6,12000,72000\r\n照明機材レンタル,1,35000,35000\r\n' |
    iconv -f UTF-8 -t CP932 | base64 -w 76)
boundary='=_midori_05_4f2a9c'
{
    printf 'Return-Path: <tanaka@midori.example.jp>\n'
    printf 'Date: Tue, 4 Jun 2024 13:27:19 +0900\n'
    printf 'From: %s <tanaka@midori.example.jp>\n' "$(word '田中 健太')"
    printf 'To: %s\n' "$TO"
    subject 'お見積書（展示会ブース）を添付します'
    printf 'Message-ID: <estimate.05@midori.example.jp>\n'
    printf 'MIME-Version: 1.0\n'
    printf 'Content-Type: multipart/mixed;\n boundary="%s"\n' "$boundary"
    printf '\nThis is a multi-part message in MIME format.\n\n'
    printf -- '--%s\n' "$boundary"
    printf 'Content-Type: text/plain; charset=ISO-2022-JP\n'
    printf 'Content-Transfer-Encoding: 7bit\n\n'
    jis <<'EOF'
山田さん

営業部の田中です。
秋の展示会のブースについて、業者さんから見積書が届きました。
合計は287,000円（税抜）です。
明細を添付しますので、ご確認をお願いします。

田中
EOF
    printf -- '--%s\n' "$boundary"
    printf 'Content-Type: text/csv; charset=Shift_JIS; name="estimate.csv"\n'
    printf 'Content-Disposition: attachment; filename="estimate.csv"\n'
    printf 'Content-Transfer-Encoding: base64\n\n'
    printf '%s\n' "$csv"
    printf -- '--%s--\n' "$boundary"
} >05-estimate.eml.tmp
mv 05-estimate.eml.tmp 05-estimate.eml

mail 06-holiday.eml '高橋 美咲' takahashi@midori.example.jp 'Tue, 4 Jun 2024 17:55:02 +0900' \
    '夏季休暇の予定提出のお願い' <<'EOF'
各位

人事部の高橋です。
今年の夏季休暇の予定を、6月21日（金）までに提出してください。

・取得期間：7月1日から9月30日まで
・日数：連続5日まで
・提出先：人事部 高橋

同じ部署で日程が重ならないよう、事前にご相談ください。
よろしくお願いいたします。
EOF

mail 07-maintenance.eml '情報システム課' it-info@midori.example.jp 'Wed, 5 Jun 2024 10:02:44 +0900' \
    '【重要】社内サーバー保守作業のお知らせ' 'X-UIDL: a3f9c1e0d27b4c58' <<'EOF'
社員各位

情報システム課です。
下記の日程で社内サーバーの保守作業を行います。

作業日時：6月8日（土）9:00から18:00
影響範囲：ファイルサーバー、社内メール、勤怠システム

作業中はメールの送受信ができません。
急ぎの連絡は電話でお願いします。

情報システム課 内線 300
EOF

mail 08-visitor.eml '受付 中村 さくら' uketsuke@midori.example.jp 'Wed, 5 Jun 2024 13:48:10 +0900' \
    '来客のご案内（14時 大和商事様）' <<'EOF'
山田さん

受付の中村です。
大和商事の木村様が14時のお約束でお見えになりました。
1階の応接室Aにご案内しております。

お茶をお出ししておきます。
よろしくお願いします。
EOF

mail 09-expenses.eml '経理課 小林 誠' kobayashi@midori.example.jp 'Thu, 6 Jun 2024 09:20:37 +0900' \
    '【経理】6月分経費精算の締め切りについて|（6月25日 火曜 17時まで）' <<'EOF'
社員各位

経理課の小林です。
6月分の経費精算は、6月25日（火）17時が締め切りです。

・領収書は原本を添付してください
・交通費は経路と金額を明記してください
・締め切りを過ぎた分は翌月の精算になります

ご協力をお願いいたします。
EOF

mail 10-newcomer.eml '伊藤 浩' ito@midori.example.jp 'Thu, 6 Jun 2024 16:05:12 +0900' \
    '新メンバーのご紹介' <<'EOF'
営業部のみなさん

部長の伊藤です。
来週月曜から、営業部に新しい仲間が加わります。

渡辺 亮さん（前職は家具メーカーの営業）
主に関東地区の販売店を担当していただきます。

朝礼で本人からあいさつがあります。
分からないことが多いと思いますので、皆さんで助けてあげてください。
EOF

mail 11-delivery.eml 'ひかり運輸 お客様センター' info@hikari-unyu.example.com \
    'Fri, 7 Jun 2024 08:14:55 +0900' 'お荷物お届けのお知らせ（伝票番号 4821-0937-5566）' <<'EOF'
株式会社みどり工房 山田 太郎 様

ひかり運輸をご利用いただき、ありがとうございます。
本日、下記のお荷物をお届けいたします。

伝票番号：4821-0937-5566
ご依頼主：青葉印刷株式会社
お届け予定：本日 午前中

ご不在の場合は、不在票をお入れします。
このメールは送信専用です。ご返信はできません。
EOF

mail 12-party.eml '鈴木 一郎' suzuki@midori.example.jp 'Fri, 7 Jun 2024 12:30:21 +0900' \
    '歓送迎会のご案内（6月14日 金曜）' <<'EOF'
営業部のみなさん

幹事の鈴木です。
渡辺さんの歓迎会と、大阪支店へ移る加藤さんの送別会を行います。

日時：6月14日（金）18:30から
場所：居酒屋「つばめ」（駅前の商店街）
会費：四千円

出欠を6月11日（火）までに鈴木まで返信してください。
EOF

# Today's kinds: a web shop's confirmation (UTF-8 subject over two words, base64 body),
# an HTML-only newsletter, and a colleague's mail from a current mail program
# (multipart/alternative, UTF-8 text and HTML).
{
    printf 'Return-Path: <order@shop.aozora.example.com>\n'
    printf 'Date: Sat, 8 Jun 2024 07:45:12 +0900\n'
    printf 'From: %s <order@shop.aozora.example.com>\n' "$(utf8words 'あおぞら文具オンライン')"
    printf 'To: yamada@midori.example.jp\n'
    printf 'Subject: %s\n' "$(utf8words 'ご注文ありがとうございます|（注文番号 AZ-240608-1187）')"
    printf 'Message-ID: <order.13@shop.aozora.example.com>\n'
    printf 'MIME-Version: 1.0\n'
    printf 'Content-Type: text/plain; charset=UTF-8\n'
    printf 'Content-Transfer-Encoding: base64\n\n'
    base64 -w 76 <<'EOF'
株式会社みどり工房 山田 太郎 様

あおぞら文具オンラインをご利用いただき、ありがとうございます。
以下の内容でご注文を承りました。

ご注文番号：AZ-240608-1187
・ボールペン 黒 0.5mm ×20本
・クリアファイル A4 ×50枚
・付箋 75×75mm ×10冊
お支払金額：5,830円（税込・送料無料）

発送のご連絡は、商品の出荷後にあらためてお送りします。
EOF
} >13-order.eml.tmp
mv 13-order.eml.tmp 13-order.eml

{
    printf 'Return-Path: <news@seminar.tsubasa.example.com>\n'
    printf 'Date: Mon, 10 Jun 2024 12:00:00 +0900\n'
    printf 'From: %s <news@seminar.tsubasa.example.com>\n' "$(utf8words 'つばさビジネスセミナー')"
    printf 'To: yamada@midori.example.jp\n'
    printf 'Subject: %s\n' "$(utf8words '【無料ウェビナー】|明日から使える業務効率化のコツ')"
    printf 'Message-ID: <webinar.14@seminar.tsubasa.example.com>\n'
    printf 'MIME-Version: 1.0\n'
    printf 'Content-Type: text/html; charset=UTF-8\n'
    printf 'Content-Transfer-Encoding: base64\n\n'
    base64 -w 76 <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="UTF-8"><title>つばさビジネスセミナー通信</title>
<style>body { font-family: sans-serif; } .button { color: #ffffff; }</style></head>
<body>
<p>山田 太郎 様</p>
<p>いつも「つばさビジネスセミナー通信」をご購読いただき、ありがとうございます。</p>
<h2>明日から使える業務効率化のコツ</h2>
<p>日時：6月20日（木）15:00&#12316;16:00<br>
会場：オンライン（参加費&nbsp;無料）</p>
<ul><li>メール整理の三つのルール</li><li>会議を三十分短くする進め方</li></ul>
<p><a class="button" href="https://seminar.tsubasa.example.com/entry">お申し込みはこちら</a></p>
<script>track("open");</script>
<p>つばさビジネスセミナー &amp; 編集部</p>
</body></html>
EOF
} >14-webinar.eml.tmp
mv 14-webinar.eml.tmp 14-webinar.eml

boundary='=_midori_15_alt'
{
    printf 'Return-Path: <watanabe@midori.example.jp>\n'
    printf 'Date: Mon, 10 Jun 2024 17:20:45 +0900\n'
    printf 'From: %s <watanabe@midori.example.jp>\n' "$(utf8words '渡辺 亮')"
    printf 'To: yamada@midori.example.jp\n'
    printf 'Subject: %s\n' "$(utf8words '初日のごあいさつ')"
    printf 'Message-ID: <hello.15@midori.example.jp>\n'
    printf 'MIME-Version: 1.0\n'
    printf 'Content-Type: multipart/alternative; boundary="%s"\n' "$boundary"
    printf '\n--%s\n' "$boundary"
    printf 'Content-Type: text/plain; charset=UTF-8\n'
    printf 'Content-Transfer-Encoding: base64\n\n'
    base64 -w 76 <<'EOF'
山田さん

本日から営業部に加わりました渡辺です。
前職では家具の販売を担当していました。
早く皆さんのお役に立てるよう頑張ります。

渡辺 亮
EOF
    printf -- '--%s\n' "$boundary"
    printf 'Content-Type: text/html; charset=UTF-8\n'
    printf 'Content-Transfer-Encoding: base64\n\n'
    base64 -w 76 <<'EOF'
<div>山田さん</div><div><br></div>
<div>本日から営業部に加わりました渡辺です。</div>
<div>前職では家具の販売を担当していました。</div>
<div>早く皆さんのお役に立てるよう頑張ります。</div>
<div><br></div><div>渡辺 亮</div>
EOF
    printf -- '--%s--\n' "$boundary"
} >15-hello.eml.tmp
mv 15-hello.eml.tmp 15-hello.eml
