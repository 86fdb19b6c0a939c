<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>Dialogs</name>
    <message numerus="yes">
        <source>%n 件</source>
        <translation>
            <numerusform>%n picture</numerusform>
            <numerusform>%n pictures</numerusform>
        </translation>
    </message>
    <message>
        <source>Size ： %1 * %2</source>
        <translation>Size: %1 × %2</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙを書き込めませんでした。</source>
        <translation>The file could not be written.</translation>
    </message>
    <message>
        <source>画像ﾌｧｲﾙは 32767 件までしか登録できません。</source>
        <translation>A list holds at most 32767 pictures.</translation>
    </message>
</context>
<context>
    <name>Entry</name>
    <message>
        <source>(DISPLAY が設定されていません)</source>
        <translation>(DISPLAY is not set)</translation>
    </message>
    <message>
        <source>tavrelle: X ディスプレイ %1 を開けません</source>
        <translation>tavrelle: cannot open the X display %1</translation>
    </message>
    <message>
        <source>使い方: tavrelle [/s | /c | /p ウィンドウ | /a]
X11 の画像スライドショー・スクリーンセーバーです。

  /s、-s、指定なし  スライドショー: 全画面で、またはスクリーンセーバーが
                    $XSCREENSAVER_WINDOW か --window-id で渡すウィンドウの中で
  /c                設定ダイアログ: 画像、音楽、スケジュール
  /p ウィンドウ     X ウィンドウの中に静止画のプレビュー (ウィンドウは10進数
                    または 0x で始まる16進数の ID)
  /a                何もしません: パスワードはデスクトップの画面ロックが扱います
  --help            この説明を表示して終了
  --version         バージョンを表示して終了

実行モードを選ぶのはコマンドラインの2文字目だけで、それ以外のコマンドラインは
すぐに終了します。設定と画像リストは $XDG_DATA_HOME/Tavrelle
(~/.local/share/Tavrelle) にあります。表示はデスクトップの言語に従い
(日本語、それ以外は英語)、TAVRELLE_LANG=ja または en で選べます。
詳しくは tavrelle(1) を見てください。
</source>
        <translation>Usage: tavrelle [/s | /c | /p WINDOW | /a]
A picture slide-show screen saver for X11.

  /s, -s or nothing  the slide show: full screen, or inside the window a
                     screen saver gives in $XSCREENSAVER_WINDOW or after
                     --window-id
  /c                 the settings dialog: pictures, music and schedule
  /p WINDOW          a still preview inside the X window WINDOW (a decimal
                     or 0x hexadecimal id)
  /a                 nothing: the desktop&apos;s screen locker owns the password
  --help             print this help and end
  --version          print the version and end

Only the second character of the command line chooses the run mode; any
other command line ends at once. Settings and picture lists live in
$XDG_DATA_HOME/Tavrelle (~/.local/share/Tavrelle). The texts follow the
desktop&apos;s language (Japanese, else English); TAVRELLE_LANG=ja or en
chooses one. See tavrelle(1).
</translation>
    </message>
    <message>
        <source>画像ﾌｧｲﾙを設定して下さい。</source>
        <translation>Please choose the pictures to show.</translation>
    </message>
    <message>
        <source>画像ﾌｧｲﾙは最低２つ以上必要です。</source>
        <translation>At least two pictures are needed.</translation>
    </message>
    <message>
        <source>画像はメニューの「Tavrelleの設定」か tavrelle /c で選べます。</source>
        <translation>Choose them with “Tavrelle settings” in the menu, or with tavrelle /c.</translation>
    </message>
</context>
<context>
    <name>Schedule</name>
    <message>
        <source>日曜日</source>
        <translation>Sunday</translation>
    </message>
    <message>
        <source>月曜日</source>
        <translation>Monday</translation>
    </message>
    <message>
        <source>火曜日</source>
        <translation>Tuesday</translation>
    </message>
    <message>
        <source>水曜日</source>
        <translation>Wednesday</translation>
    </message>
    <message>
        <source>木曜日</source>
        <translation>Thursday</translation>
    </message>
    <message>
        <source>金曜日</source>
        <translation>Friday</translation>
    </message>
    <message>
        <source>土曜日</source>
        <translation>Saturday</translation>
    </message>
    <message>
        <source>日曜日</source>
        <comment>row label</comment>
        <translation>Sun</translation>
    </message>
    <message>
        <source>月曜日</source>
        <comment>row label</comment>
        <translation>Mon</translation>
    </message>
    <message>
        <source>火曜日</source>
        <comment>row label</comment>
        <translation>Tue</translation>
    </message>
    <message>
        <source>水曜日</source>
        <comment>row label</comment>
        <translation>Wed</translation>
    </message>
    <message>
        <source>木曜日</source>
        <comment>row label</comment>
        <translation>Thu</translation>
    </message>
    <message>
        <source>金曜日</source>
        <comment>row label</comment>
        <translation>Fri</translation>
    </message>
    <message>
        <source>土曜日</source>
        <comment>row label</comment>
        <translation>Sat</translation>
    </message>
    <message>
        <source>%1時～%2時 </source>
        <translation>%1h-%2h </translation>
    </message>
</context>
<context>
    <name>tav::Tavrelle_P</name>
    <message>
        <source>ｸﾞﾙｰﾌﾟ</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>画像ﾌｧｲﾙ</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>１件追加</source>
        <translation>Add a picture</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞで追加</source>
        <translation>Add a folder</translation>
    </message>
    <message>
        <source>ﾘｽﾄから削除</source>
        <translation>Remove from list</translation>
    </message>
    <message>
        <source>全部ｸﾘｱ</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>ﾌﾟﾚﾋﾞｭｰ</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>画面の大きさ</source>
        <translation>Area size</translation>
    </message>
    <message>
        <source>ﾌﾙｽｸﾘｰﾝ</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>指定のｻｲｽﾞに実画像を合わせる</source>
        <translation>Fit pictures to the area</translation>
    </message>
    <message>
        <source>順次</source>
        <translation>Seq.</translation>
    </message>
    <message>
        <source>ﾗﾝﾀﾞﾑ</source>
        <translation>Shuffle</translation>
    </message>
    <message>
        <source>画像転換</source>
        <translation>Effect order</translation>
    </message>
    <message>
        <source>画像表示</source>
        <translation>Picture order</translation>
    </message>
    <message>
        <source>ｲﾝﾀｰﾊﾞﾙ</source>
        <translation>Interval</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>移動速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>遅</source>
        <translation>−</translation>
    </message>
    <message>
        <source>速</source>
        <translation>+</translation>
    </message>
    <message>
        <source>BGM</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>音楽CD</source>
        <translation>CD</translation>
    </message>
    <message>
        <source>MP3、WAV</source>
        <translation>MP3, WAV</translation>
    </message>
    <message>
        <source>曲目をﾘﾋﾟｰﾄ</source>
        <translation>Repeat track</translation>
    </message>
    <message>
        <source>半透明</source>
        <translation>Opacity</translation>
    </message>
    <message>
        <source>透明度</source>
        <translation>Transp.</translation>
    </message>
    <message>
        <source>大</source>
        <translation>+</translation>
    </message>
    <message>
        <source>小</source>
        <translation>−</translation>
    </message>
    <message>
        <source>曜日・時刻で設定...</source>
        <translation>Schedule...</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>画像ﾌｧｲﾙ (bmp gif jpg wmf png webp tif heic avif)</source>
        <translation>Pictures (bmp gif jpg wmf png webp tif heic avif)</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙを開く</source>
        <translation>Open a File</translation>
    </message>
    <message>
        <source>フォルダーをクリックして選択状態にしてから ＯＫ を押してください</source>
        <translation>Click a folder to select it, then press OK</translation>
    </message>
    <message>
        <source>BGMﾌｧｲﾙ (MP3 WAV)</source>
        <translation>Music files (MP3 WAV)</translation>
    </message>
    <message>
        <source>Tavrelleの設定</source>
        <translation>Tavrelle settings</translation>
    </message>
</context>
<context>
    <name>tav::Tavrelle_T</name>
    <message>
        <source>曜日・時刻で設定</source>
        <translation>Schedule</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙﾊﾟﾀｰﾝを曜日・時刻で設定変更（起動時）</source>
        <translation>The group a show starts with, by weekday and hour</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>設定なし</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>曜日で変更</source>
        <translation>By day</translation>
    </message>
    <message>
        <source>時刻で変更</source>
        <translation>By hour</translation>
    </message>
    <message>
        <source>曜日と時刻で変更</source>
        <translation>By day and hour</translation>
    </message>
    <message>
        <source>曜日で設定</source>
        <translation>Weekdays</translation>
    </message>
    <message>
        <source>時刻で設定</source>
        <translation>Hours</translation>
    </message>
    <message>
        <source>選択できるｸﾞﾙｰﾌﾟ</source>
        <translation>Groups to choose</translation>
    </message>
    <message>
        <source>ｸﾘｱ</source>
        <translation>Clear</translation>
    </message>
</context>
</TS>
