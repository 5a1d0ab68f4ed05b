#include "store/IniDocument.h"

#include <QTest>

class TestIniDocument : public QObject
{
    Q_OBJECT

private slots:
    void readsByTheProfileRules_data();
    void readsByTheProfileRules();
    void editKeepsEveryOtherByte_data();
    void editKeepsEveryOtherByte();
    void sectionsOfAnyLengthAgreeWithAFreshParse_data();
    void sectionsOfAnyLengthAgreeWithAFreshParse();
    void keysHandedOnInFileOrder_data();
    void keysHandedOnInFileOrder();
    void aFileWrittenWholeHasTheBytesOfItsEdits();
};

void TestIniDocument::readsByTheProfileRules_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<none>" for absent

    QTest::newRow("case of names") << QByteArray("[File 0]\nFileName=a\n") << "file 0"
                                   << "filename"
                                   << "a";
    QTest::newRow("blanks and tabs") << QByteArray(" [ file 1 ] \n\t days \t= \t 5 \t\n") << "file 1"
                                     << "days"
                                     << "5";
    QTest::newRow("double quotes") << QByteArray("[s]\nk=\" x \"\n") << "s"
                                   << "k"
                                   << " x ";
    QTest::newRow("single quotes") << QByteArray("[s]\nk='y'\n") << "s"
                                   << "k"
                                   << "y";
    QTest::newRow("unmatched quote kept") << QByteArray("[s]\nk=\"y\n") << "s"
                                          << "k"
                                          << "\"y";
    QTest::newRow("first duplicate key") << QByteArray("[s]\nk=1\nk=2\n") << "s"
                                         << "k"
                                         << "1";
    QTest::newRow("first duplicate section") << QByteArray("[s]\nk=1\n[S]\nk=2\nj=3\n") << "s"
                                             << "j"
                                             << "<none>";
    QTest::newRow("comment") << QByteArray("[s]\n;k=1\n") << "s"
                             << "k"
                             << "<none>";
    QTest::newRow("missing section") << QByteArray("[s]\nk=1\n") << "t"
                                     << "k"
                                     << "<none>";
    QTest::newRow("before any section") << QByteArray("k=1\n[s]\n") << "s"
                                        << "k"
                                        << "<none>";
    QTest::newRow("value with equals") << QByteArray("[s]\nk=a=b\n") << "s"
                                       << "k"
                                       << "a=b";
    QTest::newRow("crlf") << QByteArray("[s]\r\nk=v\r\n") << "s"
                          << "k"
                          << "v";
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF[s]\nk=v\n") << "s"
                         << "k"
                         << "v";
    QTest::newRow("utf8") << QByteArray("[s]\nk=K\xC3\xA4se\n") << "s"
                          << "k" << QString::fromUtf8("K\xC3\xA4se");
    QTest::newRow("windows-1252") << QByteArray("[s]\nk=K\xE4se \x80\n") << "s"
                                  << "k" << QString::fromUtf8("K\xC3\xA4se \xE2\x82\xAC");
    QTest::newRow("case of non-ASCII names")
        << QByteArray("[\xC3\x84pfel]\n\xC3\x96l=1\n") << QString::fromUtf8("\xC3\xA4pfel")
        << QString::fromUtf8("\xC3\xB6l") << "1";
    QTest::newRow("each line in its own encoding") << QByteArray("[s]\nd=K\xE4se\nk=K\xC3\xA4se \xEF\xBB\xBF\n") << "s"
                                                   << "k" << QString::fromUtf8("K\xC3\xA4se \xEF\xBB\xBF");
    QTest::newRow("Windows-1252 name") << QByteArray("[s]\nK\xE4se=1\n") << "s" << QString::fromUtf8("K\xC3\x84SE")
                                       << "1";
    // The Kelvin sign lowers to an ASCII "k".
    QTest::newRow("non-ASCII name lowering to ASCII")
        << QByteArray("[s]\nk=1\n") << "s" << QString(QChar(0x212A)) << "1";
    QTest::newRow("stored non-ASCII name lowering to ASCII")
        << QByteArray("[s]\nx\xE2\x84\xAA=1\n") << "s" << QString("xk") << "1";
}

void TestIniDocument::readsByTheProfileRules()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const IniDocument doc = IniDocument::parse(text);
    const auto value = doc.value(section, key);
    QCOMPARE(value.value_or(QStringLiteral("<none>")), expected);
    // The same through the section's number, and as the first key of that name handed on.
    const int number = doc.sectionNumber(section);
    QCOMPARE(doc.value(number, key), value);
    std::optional<QString> first;
    doc.forEachKey(number, [&](QStringView name, QStringView stored) {
        if (!first && name.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            first = stored.toString();
    });
    QCOMPARE(first, value);
}

void TestIniDocument::editKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("replace keeps stored name")
        << QByteArray("; top\r\n[File 0]\r\nFileName = old\r\nx=1\r\n") << "file 0"
        << "filename"
        << "new" << QByteArray("; top\r\n[File 0]\r\nFileName=new\r\nx=1\r\n");
    QTest::newRow("new key at end of section") << QByteArray("[a]\nk=1\n\n[b]\nk=2\n") << "A"
                                               << "j"
                                               << "3" << QByteArray("[a]\nk=1\nj=3\n\n[b]\nk=2\n");
    QTest::newRow("new section at end") << QByteArray("[a]\nk=1") << "b"
                                        << "k"
                                        << "2" << QByteArray("[a]\nk=1\n[b]\nk=2\n");
    QTest::newRow("bom and crlf kept") << QByteArray("\xEF\xBB\xBF[a]\r\nk=1\r\n") << "a"
                                       << "k"
                                       << "2" << QByteArray("\xEF\xBB\xBF[a]\r\nk=2\r\n");
    QTest::newRow("windows-1252 stays") << QByteArray("[a]\nd=K\xE4se\nk=1\n") << "a"
                                        << "k"
                                        << "2" << QByteArray("[a]\nd=K\xE4se\nk=2\n");
    QTest::newRow("line breaks cannot forge keys") << QByteArray("[a]\n") << "a"
                                                   << "k"
                                                   << "x\n[b]\ny=1" << QByteArray("[a]\nk=x [b] y=1\n");
    QTest::newRow("a key written like a comment") << QByteArray("[a]\n") << "a"
                                                  << ";k"
                                                  << "1" << QByteArray("[a]\n;k=1\n");
    QTest::newRow("empty file") << QByteArray() << "Settings"
                                << "Start in Tray"
                                << "true" << QByteArray("[Settings]\nStart in Tray=true\n");
}

void TestIniDocument::editKeepsEveryOtherByte()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    IniDocument doc = IniDocument::parse(before);
    doc.setValue(section, key, value);
    QCOMPARE(doc.serialize(), after);
    // What the edited document reads is what a fresh parse of the file will read.
    QCOMPARE(doc.value(section, key), IniDocument::parse(after).value(section, key));
}

void TestIniDocument::sectionsOfAnyLengthAgreeWithAFreshParse_data()
{
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("added");
    for (const int keys : {1, 200}) {
        for (const int added : {0, 40})
            QTest::addRow("%d keys, %d added", keys, added) << keys << added;
    }
}

void TestIniDocument::sectionsOfAnyLengthAgreeWithAFreshParse()
{
    // Sections short and long, and growing: each sees the first of duplicates, skips comments and
    // keeps the other sections.
    QFETCH(int, keys);
    QFETCH(int, added);
    QByteArray text = "[head]\nk=h\n[Big]\n; a comment=1\n\n";
    for (int i = 0; i < keys; ++i)
        text += "Key " + QByteArray::number(i) + " = v" + QByteArray::number(i) + "\n";
    text += "KEY 0=duplicate\n[tail]\nk=t\n";
    IniDocument doc = IniDocument::parse(text);
    doc.setValue("head", "j", "before big"); // moves every line of the sections after it
    for (int i = 0; i < added; ++i)
        doc.setValue("big", "new " + QString::number(i), "n" + QString::number(i));
    doc.setValue("BIG", "key " + QString::number(keys - 1), "changed");

    const IniDocument fresh = IniDocument::parse(doc.serialize());
    for (const IniDocument* d : {const_cast<const IniDocument*>(&doc), &fresh}) {
        const auto value = [d](const QString& section, const QString& key) {
            return d->value(section, key).value_or(QStringLiteral("<none>"));
        };
        QCOMPARE(value("big", "key 0"), keys == 1 ? QStringLiteral("changed") : QStringLiteral("v0"));
        QCOMPARE(value("big", "key " + QString::number(keys - 1)), QStringLiteral("changed"));
        for (int i = 0; i < added; ++i)
            QCOMPARE(value("big", "NEW " + QString::number(i)), "n" + QString::number(i));
        QCOMPARE(value("big", "; a comment"), QStringLiteral("<none>"));
        QCOMPARE(value("head", "k"), QStringLiteral("h"));
        QCOMPARE(value("head", "j"), QStringLiteral("before big"));
        QCOMPARE(value("tail", "k"), QStringLiteral("t"));
        QCOMPARE(value("big", "k"), QStringLiteral("<none>"));
    }
    // New keys go after the section's last key line, duplicates included, in the order written.
    const QByteArray lastKey =
        added ? "new " + QByteArray::number(added - 1) + "=n" + QByteArray::number(added - 1) : "KEY 0=duplicate";
    QVERIFY(doc.serialize().endsWith(lastKey + "\n[tail]\nk=t\n"));
}

void TestIniDocument::aFileWrittenWholeHasTheBytesOfItsEdits()
{
    // A file written whole is written without a document; it must read back as if made by one.
    IniDocument doc = IniDocument::parse(QByteArray());
    QByteArray whole;
    for (const char* value : {"12", "", "a b", "0"}) {
        const QByteArray section = "tempfile " + QByteArray::number(doc.sectionCount());
        doc.setValue(QString::fromLatin1(section), QStringLiteral("realnumber"), QString::fromLatin1(value));
        IniDocument::appendNewSection(whole, QLatin1String(section), QLatin1String("realnumber"), QLatin1String(value));
    }
    QCOMPARE(whole, doc.serialize());
}

void TestIniDocument::keysHandedOnInFileOrder_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("key"); // written with the value " y " first, unless empty
    QTest::addColumn<QString>("expected");

    const QByteArray text("[s]\n A = 1\n;c=2\n\nb='x'\nno equals\nA=3\n[t]\nc=4\n[S]\nd=5\n");
    QTest::newRow("comments skipped, duplicates kept") << text << ""
                                                       << "A=1|b=x|A=3|";
    QTest::newRow("a key changed") << text << "B"
                                   << "A=1|b= y |A=3|";
    QTest::newRow("a key added") << text << "e"
                                 << "A=1|b=x|A=3|e= y |";
    QTest::newRow("no such section") << QByteArray("[t]\nk=1\n") << ""
                                     << "";
    QTest::newRow("Windows-1252") << QByteArray("[s]\nK\xE4se=\x80\n") << ""
                                  << QString::fromUtf8("K\xC3\xA4se=\xE2\x82\xAC|");
}

void TestIniDocument::keysHandedOnInFileOrder()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    IniDocument doc = IniDocument::parse(text);
    if (!key.isEmpty())
        doc.setValue(QStringLiteral("s"), key, QStringLiteral(" y "));
    QString keys;
    doc.forEachKey(doc.sectionNumber(u"s"), [&keys](QStringView name, QStringView value) {
        keys += name.toString() + QLatin1Char('=') + value.toString() + QLatin1Char('|');
    });
    QCOMPARE(keys, expected);
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "tst_inidocument.moc"
