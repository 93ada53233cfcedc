<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A few of the program's texts in English: enough to see a translation
     reach a window's form, its code, the analysis and the error texts. -->
<TS version="2.1" language="en" sourcelanguage="ru_RU">
<context>
    <name>TMainF</name>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Серия закончена!</source>
        <translation>Series finished!</translation>
    </message>
</context>
<context>
    <name>Exercise</name>
    <message>
        <source>Кучность</source>
        <translation>Grouping</translation>
    </message>
</context>
<context>
    <name>CountOf</name>
    <message>
        <source>серии</source>
        <translation>series</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>Bitmap image is not valid</source>
        <translation>The picture is not a valid bitmap</translation>
    </message>
</context>
</TS>
