<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>tilora</name>
    <message>
        <source>不明なエラーが発生しました。</source>
        <translation>An unknown error occurred.</translation>
    </message>
    <message>
        <source>マップデータは変更されています保存しますか？</source>
        <translation>The map has changed. Save it?</translation>
    </message>
    <message>
        <source>ちょっと待った！！</source>
        <translation>Wait a moment!</translation>
    </message>
    <message>
        <source>保存できません</source>
        <translation>Cannot save</translation>
    </message>
    <message>
        <source>マップデータ(*.map)|*.map</source>
        <translation>Map data (*.map)|*.map</translation>
    </message>
    <message>
        <source>マップデータの保存</source>
        <translation>Save the Map</translation>
    </message>
    <message>
        <source>使用するＭＡＰファイルの読み込み</source>
        <translation>Open a Map File</translation>
    </message>
    <message>
        <source>マップデータのチップ画像が見つかりません
%1
使用するチップ画像を選びますか？</source>
        <translation>The map&apos;s chip sheet is not found
%1
Choose a chip sheet to use?</translation>
    </message>
    <message>
        <source>マップデータが他のプログラムで変更されました
%1
ファイルの内容を読み込みますか？（編集中の変更は失われます）</source>
        <translation>Another program changed the map file
%1
Read the file&apos;s content? (The changes being edited are lost)</translation>
    </message>
    <message>
        <source>マップデータが他のプログラムで変更されましたが、読み込めません
%1
%2
編集中のマップはそのまま残ります（未保存）</source>
        <translation>Another program changed the map file, but it cannot be read
%1
%2
The map being edited stays as it is (unsaved)</translation>
    </message>
    <message>
        <source>チップ画像が他のプログラムで変更されましたが、使用できません
%1
%2
これまでのチップ画像のまま編集を続けます</source>
        <translation>Another program changed the chip sheet, but it cannot be used
%1
%2
Editing goes on with the chip sheet as it was</translation>
    </message>
    <message>
        <source>メモリが足りません。</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>復元</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>前回保存されずに終了したマップデータが残っています
%1
（%2）
復元しますか？（いいえ：このデータを削除します）</source>
        <translation>Map data left unsaved when the editor last ended was kept
%1
(%2)
Restore it? (No: this data is deleted)</translation>
    </message>
    <message>
        <source>復元用のマップデータを読み込めません
%1
%2</source>
        <translation>Cannot read the recovery copy of the map
%1
%2</translation>
    </message>
    <message>
        <source>マップデータのチップ画像が見つかりません
%1</source>
        <translation>The map&apos;s chip sheet is not found
%1</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>%1
編集はこのまま続けられますが、異常終了したときに未保存の変更を復元できません</source>
        <translation>%1
Editing goes on, but unsaved changes cannot be restored if the editor ends abnormally</translation>
    </message>
    <message>
        <source>（名前のないマップ）</source>
        <translation>(untitled map)</translation>
    </message>
    <message>
        <source>マップ新規作成</source>
        <translation>New Map</translation>
    </message>
    <message>
        <source>上書き保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>マップ読み込み</source>
        <translation>Open Map</translation>
    </message>
    <message>
        <source>名前をつけて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>チップウィンドウの表示／非表示</source>
        <translation>Show/Hide Chip Window</translation>
    </message>
    <message>
        <source>マップウィンドウの表示／非表示</source>
        <translation>Show/Hide Map Window</translation>
    </message>
    <message>
        <source>拡大表示</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>縮小表示</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>標準サイズ</source>
        <translation>Pen Size 1 x 1</translation>
    </message>
    <message>
        <source>縦横２倍サイズ</source>
        <translation>Pen Size 2 x 2</translation>
    </message>
    <message>
        <source>縦横４倍サイズ</source>
        <translation>Pen Size 4 x 4</translation>
    </message>
    <message>
        <source>縦横８倍サイズ</source>
        <translation>Pen Size 8 x 8</translation>
    </message>
    <message>
        <source>スタンプエディタで選択されているスタンプを使用</source>
        <translation>Paint with the Stamp Chosen in the Stamp Editor</translation>
    </message>
    <message>
        <source>スタンプエディターの表示</source>
        <translation>Show/Hide Stamp Editor</translation>
    </message>
    <message>
        <source>マップの読み込み</source>
        <translation>Open Map</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>塗りつぶし</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>チップウィンドウ</source>
        <translation>Chip Window</translation>
    </message>
    <message>
        <source>マップウィンドウ</source>
        <translation>Map Window</translation>
    </message>
    <message>
        <source>全体図</source>
        <translation>Overview</translation>
    </message>
    <message>
        <source>グリッド</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>ステータスバー</source>
        <translation>Status Bar</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>View</translation>
    </message>
    <message>
        <source>このソフトウェアは16BitsColorのみサポートしております
他のBitsColorで実行すると色の表示、拡大縮小速度に異常をきたします。</source>
        <translation>This software supports 16-bit colour only.
At other colour depths, colours and zooming speed go wrong.</translation>
    </message>
    <message>
        <source>拡大&#x3000;基準座標を選んでください</source>
        <translation>Zoom in: choose the new top-left cell</translation>
    </message>
    <message>
        <source>縮小&#x3000;基準座標を選んでください</source>
        <translation>Zoom out: choose the new top-left cell</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ビットマップ(*.BMP)|*.BMP|PNG画像(*.PNG)|*.PNG</source>
        <translation>Bitmap (*.BMP)|*.BMP|PNG image (*.PNG)|*.PNG</translation>
    </message>
    <message>
        <source>使用するＢｉｔＭａｐファイルの読み込み</source>
        <translation>Open the Bitmap to Use</translation>
    </message>
    <message>
        <source>読み込めません</source>
        <translation>Cannot read</translation>
    </message>
    <message>
        <source>作成するマップの横幅</source>
        <translation>Map width</translation>
    </message>
    <message>
        <source>（チップの数です）</source>
        <translation>(in chips)</translation>
    </message>
    <message>
        <source>作成するマップの縦幅</source>
        <translation>Map height</translation>
    </message>
    <message>
        <source>使用するビットマップ</source>
        <translation>Chip sheet</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source> 初期化チップの設定</source>
        <translation> Initial chip</translation>
    </message>
    <message>
        <source>決定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>   当ソフトでご使用頂けるマップチップは                     １チップ３２×３２ドットで構成されたビットマップです&#x3000;&#x3000;縦横幅が３２の倍数のビットマップでないと&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;&#x3000;誤動作の原因となります ご注意下さい</source>
        <translation>Map chips are bitmaps of 32 x 32 dots per chip. A bitmap whose width or height is not a multiple of 32 causes faults. Please take care.</translation>
    </message>
    <message>
        <source>初期設定</source>
        <translation>New Map Settings</translation>
    </message>
    <message>
        <source>塗りつぶし&#x3000;塗る場所を選んでください</source>
        <translation>Fill: choose the place to fill</translation>
    </message>
    <message>
        <source>列 %1&#x3000;行 %2&#x3000;チップ %3&#x3000;%4ドット/チップ</source>
        <translation>Col %1  Row %2  Chip %3  %4 px/chip</translation>
    </message>
    <message>
        <source>バンク</source>
        <translation>Bank</translation>
    </message>
    <message>
        <source>５０バンクから&#x3000;使用/編集する番号を選択</source>
        <translation>Choose the bank to use or edit (1 to 50)</translation>
    </message>
    <message>
        <source>チップ属性</source>
        <translation>Chip kind</translation>
    </message>
    <message>
        <source>通常</source>
        <translation>Solid</translation>
    </message>
    <message>
        <source>チップウィンドウで選択されたチップを使用</source>
        <translation>Use the chip chosen in the Chip Window</translation>
    </message>
    <message>
        <source>透明</source>
        <translation>Empty</translation>
    </message>
    <message>
        <source>透明属性のチップを使用</source>
        <translation>Use transparent cells</translation>
    </message>
    <message>
        <source>コントロール</source>
        <translation>Controls</translation>
    </message>
    <message>
        <source>左方向シフト</source>
        <translation>Shift Left</translation>
    </message>
    <message>
        <source>右方向シフト</source>
        <translation>Shift Right</translation>
    </message>
    <message>
        <source>下方向シフト</source>
        <translation>Shift Down</translation>
    </message>
    <message>
        <source>垂直反転</source>
        <translation>Flip Upside Down</translation>
    </message>
    <message>
        <source>水平反転</source>
        <translation>Mirror Left to Right</translation>
    </message>
    <message>
        <source>上方向シフト</source>
        <translation>Shift Up</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>現在バンクを現在チップでクリア</source>
        <translation>Fill the bank with the current chip</translation>
    </message>
    <message>
        <source>スタンプエディター</source>
        <translation>Stamp Editor</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Caution</translation>
    </message>
    <message>
        <source>&lt;p&gt;ヘルプ文書が見つかりません（%1）&lt;/p&gt;</source>
        <translation>&lt;p&gt;The help document is not found (%1)&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Tilora ヘルプ</source>
        <translation>Tilora Help</translation>
    </message>
    <message>
        <source>このビットマップはパスにカンマ（,）または改行を含むため使用できません
マップデータに保存すると読み込めなくなります</source>
        <translation>This bitmap cannot be used: its path holds a comma (,) or a line break
A map saved with it could not be read again</translation>
    </message>
    <message>
        <source>このビットマップはパスが長すぎるため使用できません
マップデータに保存すると読み込めなくなります</source>
        <translation>This bitmap cannot be used: its path is too long
A map saved with it could not be read again</translation>
    </message>
    <message>
        <source>マップ(*.MAP)|*.MAP|Tiledのマップ(*.tmx;*.tmx.gz;*.tmj;*.tmj.gz)|*.tmx;*.tmx.gz;*.tmj;*.tmj.gz</source>
        <translation>Map (*.MAP)|*.MAP|Tiled map (*.tmx;*.tmx.gz;*.tmj;*.tmj.gz)|*.tmx;*.tmx.gz;*.tmj;*.tmj.gz</translation>
    </message>
    <message>
        <source>Tiledのマップを読み込みました
%1</source>
        <translation>Opened the Tiled map
%1</translation>
    </message>
    <message>
        <source>チップ画像をPNGにできません</source>
        <translation>The chip sheet cannot be made into a PNG</translation>
    </message>
    <message>
        <source>&#x3000;選択 %1 x %2</source>
        <translation>  Selected %1 x %2</translation>
    </message>
    <message>
        <source>貼り付け&#x3000;クリックで配置、右クリックかEscでやめる</source>
        <translation>Paste: click to place, right-click or Esc to drop</translation>
    </message>
    <message>
        <source>範囲選択&#x3000;ドラッグで選択、選択範囲の中からドラッグで移動</source>
        <translation>Select: drag to select, drag from inside the selection to move it</translation>
    </message>
    <message>
        <source>四角形&#x3000;ドラッグで選んだ範囲を塗りつぶします</source>
        <translation>Rectangle: drag to fill the rectangle</translation>
    </message>
    <message>
        <source>直線&#x3000;ドラッグで線を引きます</source>
        <translation>Line: drag to draw a line</translation>
    </message>
    <message>
        <source>別のチップ画像のマップからコピーしたチップです。
番号のまま貼り付けます。</source>
        <translation>These chips were copied from a map drawn with another chip sheet.
They are pasted by their numbers.</translation>
    </message>
    <message>
        <source>範囲選択</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>すべて選択</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>切り取り</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>元の位置に貼り付け</source>
        <translation>Paste in Place</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>スタンプに取り込む</source>
        <translation>Capture to Stamp</translation>
    </message>
    <message>
        <source>四角形</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>直線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>このマップにはタイルレイヤーが%1枚あります。
読み込むレイヤーを選んでください</source>
        <translation>This map has %1 tile layers.
Choose the layer to open</translation>
    </message>
    <message>
        <source>表示中のレイヤーをすべて重ねる</source>
        <translation>All visible layers, stacked</translation>
    </message>
</context>
</TS>
