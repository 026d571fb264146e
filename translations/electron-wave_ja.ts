<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>WaveNumber</name>
    <message>
        <location filename="../app/wave_number/wave_number.cpp" line="156"/>
        <source>Type a decimal number such as 14, -3.5 or 1.5e1.</source>
        <extracomment>The second line of every refusal. The examples are read with a decimal point in every language.</extracomment>
        <translation>14、-3.5、1.5e1 のような数値を入力してください。</translation>
    </message>
    <message>
        <location filename="../app/wave_number/wave_number.cpp" line="161"/>
        <source>Wave Num is empty.</source>
        <extracomment>Wave Num is the caption of the field, which stays as it is in every language.</extracomment>
        <translation>Wave Num に何も入力されていません。</translation>
    </message>
    <message>
        <location filename="../app/wave_number/wave_number.cpp" line="165"/>
        <source>Wave Num &quot;%1&quot; is out of range.</source>
        <extracomment>%1 is the refused text, as typed.</extracomment>
        <translation>Wave Num の「%1」は扱える数値の範囲外です。</translation>
    </message>
    <message>
        <location filename="../app/wave_number/wave_number.cpp" line="173"/>
        <source>Wave Num &quot;%1&quot; is not a number.</source>
        <extracomment>%1 is the refused text, as typed.</extracomment>
        <translation>Wave Num の「%1」は数値ではありません。</translation>
    </message>
</context>
<context>
    <name>app::Form1</name>
    <message>
        <location filename="../app/form1.cpp" line="80"/>
        <source>The wave number k, read when RUN is pressed</source>
        <extracomment>RUN is the caption of a button, which stays as it is in every language.</extracomment>
        <translation>RUN を押したときに読み取る波数 k</translation>
    </message>
    <message>
        <location filename="../app/form1.cpp" line="81"/>
        <source>Wave plot</source>
        <translation>波形グラフ</translation>
    </message>
    <message>
        <location filename="../app/form1.cpp" line="83"/>
        <source>The sum of two electron wave packets over the position x: its real part in red, its imaginary part in green and its probability density in blue, above a grey baseline. While the packets overlap, the density shows interference fringes.</source>
        <translation>位置 x に対する、2つの電子波束の和です。実部を赤、虚部を緑、確率密度を青で、灰色の基準線の上に表示します。波束が重なっている間は、確率密度に干渉縞が現れます。</translation>
    </message>
    <message>
        <location filename="../app/form1.cpp" line="87"/>
        <source>Starts the animation for the wave number in Wave Num</source>
        <extracomment>Wave Num is the caption of the field, which stays as it is in every language.</extracomment>
        <translation>Wave Num の波数でアニメーションを開始します</translation>
    </message>
    <message>
        <location filename="../app/form1.cpp" line="88"/>
        <source>While checked, the animation holds its current frame</source>
        <translation>チェックが入っている間、アニメーションは現在のフレームで止まります</translation>
    </message>
    <message>
        <location filename="../app/form1.cpp" line="89"/>
        <source>Wipes the plot</source>
        <translation>グラフを消去します</translation>
    </message>
    <message>
        <location filename="../app/form1.cpp" line="90"/>
        <source>Ends the program</source>
        <translation>プログラムを終了します</translation>
    </message>
    <message>
        <location filename="../app/form1.cpp" line="131"/>
        <source>The wave number %1 is too large: the waves cannot be computed, so the animation for it has stopped.</source>
        <translation>波数 %1 は大きすぎて波を計算できないため、この波数のアニメーションを停止しました。</translation>
    </message>
</context>
</TS>
