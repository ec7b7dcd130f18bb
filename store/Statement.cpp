#include "store/Statement.h"

#include "store/Error.h"

namespace dosarium {

namespace {

struct Token {
    enum class Kind { Word, Text, Number, Symbol, End };
    Kind kind = Kind::End;
    QString text;
    qsizetype position = 0;
};

QString describe(const Token &t)
{
    switch (t.kind) {
    case Token::Kind::End:
        return QStringLiteral("sfarsitul instructiunii");
    case Token::Kind::Text:
        return QLatin1Char('"') + t.text + QLatin1Char('"');
    default:
        return QLatin1Char('"') + t.text + QLatin1Char('"');
    }
}

class Parser {
public:
    explicit Parser(const QString &text) : m_text(text) { tokenize(); }

    Statement parse();

private:
    void tokenize();
    const Token &peek() const { return m_tokens.at(m_pos); }
    Token take() { return m_tokens.at(m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos); }
    [[noreturn]] void fail(const QString &expected) const;
    bool isWord(const char *word) const;
    bool acceptWord(const char *word);
    void expectWord(const char *word);
    bool acceptSymbol(QChar c);
    void expectSymbol(QChar c);
    QString identifier(const QString &what);
    QString tablePath();
    Literal literal();
    Field columnType(const QString &name);
    int integer(const QString &what);
    Condition condition();
    QStringList identifierList(const QString &what);

    QString m_text;
    QVector<Token> m_tokens;
    qsizetype m_pos = 0;
};

void Parser::tokenize()
{
    const qsizetype n = m_text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = m_text.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.position = i;
        if (c == QLatin1Char('"')) {
            ++i;
            QString value;
            bool closed = false;
            while (i < n) {
                if (m_text.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && m_text.at(i + 1) == QLatin1Char('"')) {
                        value += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += m_text.at(i++);
            }
            if (!closed)
                throw SyntaxError(QStringLiteral("Instructiune SQL neinteleasa: textul care "
                                                 "incepe la pozitia %1 nu se inchide cu \".")
                                      .arg(t.position + 1));
            t.kind = Token::Kind::Text;
            t.text = value;
        } else if (c.isDigit() ||
                   (c == QLatin1Char('.') && i + 1 < n && m_text.at(i + 1).isDigit())) {
            qsizetype j = i;
            while (j < n && (m_text.at(j).isDigit() || m_text.at(j) == QLatin1Char('.')))
                ++j;
            t.kind = Token::Kind::Number;
            t.text = m_text.mid(i, j - i);
            i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype j = i;
            while (j < n && (m_text.at(j).isLetterOrNumber() || m_text.at(j) == QLatin1Char('_')))
                ++j;
            t.kind = Token::Kind::Word;
            t.text = m_text.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>')) {
            t.kind = Token::Kind::Symbol;
            t.text = c;
            if (i + 1 < n && (m_text.at(i + 1) == QLatin1Char('=') ||
                              (c == QLatin1Char('<') && m_text.at(i + 1) == QLatin1Char('>'))))
                t.text += m_text.at(++i);
            ++i;
        } else if (QStringLiteral("(),=*;-+").contains(c)) {
            t.kind = Token::Kind::Symbol;
            t.text = c;
            ++i;
        } else {
            throw SyntaxError(QStringLiteral("Instructiune SQL neinteleasa: caracterul \"%1\" la "
                                             "pozitia %2.")
                                  .arg(c)
                                  .arg(i + 1));
        }
        m_tokens.append(t);
    }
    Token end;
    end.position = n;
    m_tokens.append(end);
}

void Parser::fail(const QString &expected) const
{
    throw SyntaxError(QStringLiteral("Instructiune SQL neinteleasa: se astepta %1, dar urmeaza %2.")
                          .arg(expected, describe(peek())));
}

bool Parser::isWord(const char *word) const
{
    return peek().kind == Token::Kind::Word &&
           peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool Parser::acceptWord(const char *word)
{
    if (!isWord(word))
        return false;
    ++m_pos;
    return true;
}

void Parser::expectWord(const char *word)
{
    if (!acceptWord(word))
        fail(QString::fromLatin1(word));
}

bool Parser::acceptSymbol(QChar c)
{
    if (peek().kind == Token::Kind::Symbol && peek().text == c) {
        ++m_pos;
        return true;
    }
    return false;
}

void Parser::expectSymbol(QChar c)
{
    if (!acceptSymbol(c))
        fail(QStringLiteral("\"%1\"").arg(c));
}

QString Parser::identifier(const QString &what)
{
    if (peek().kind != Token::Kind::Word)
        fail(what);
    return take().text.toUpper();
}

QString Parser::tablePath()
{
    if (peek().kind != Token::Kind::Text)
        fail(QStringLiteral("numele tabelului intre ghilimele"));
    const QString path = take().text;
    if (path.trimmed().isEmpty())
        throw SyntaxError(
            QStringLiteral("Instructiune SQL neinteleasa: numele tabelului este gol."));
    return path;
}

Literal Parser::literal()
{
    if (peek().kind == Token::Kind::Text)
        return Literal::ofText(take().text);
    QString sign;
    if (acceptSymbol(QLatin1Char('-')))
        sign = QStringLiteral("-");
    else
        acceptSymbol(QLatin1Char('+'));
    if (peek().kind != Token::Kind::Number)
        fail(QStringLiteral("o valoare (text intre ghilimele sau numar)"));
    const Token t = take();
    if (t.text.count(QLatin1Char('.')) > 1)
        throw SyntaxError(
            QStringLiteral("Instructiune SQL neinteleasa: \"%1\" nu este un numar.").arg(t.text));
    return Literal::ofNumber(sign + t.text);
}

int Parser::integer(const QString &what)
{
    if (peek().kind != Token::Kind::Number || peek().text.contains(QLatin1Char('.')))
        fail(what);
    bool ok = false;
    const int v = take().text.toInt(&ok);
    if (!ok)
        fail(what);
    return v;
}

Field Parser::columnType(const QString &name)
{
    Field f;
    f.name = name;
    const Token typeToken = peek();
    if (acceptWord("CHAR") || acceptWord("CHARACTER") || acceptWord("VARCHAR")) {
        f.type = FieldType::Character;
        expectSymbol(QLatin1Char('('));
        f.length = integer(QStringLiteral("latimea coloanei"));
        expectSymbol(QLatin1Char(')'));
        if (f.length < 1 || f.length > 254)
            throw SyntaxError(QStringLiteral("Coloana %1: latimea %2 nu este permisa (1 - 254).")
                                  .arg(name)
                                  .arg(f.length));
    } else if (acceptWord("DECIMAL") || acceptWord("NUMERIC")) {
        f.type = FieldType::Numeric;
        expectSymbol(QLatin1Char('('));
        f.length = integer(QStringLiteral("numarul de cifre"));
        if (acceptSymbol(QLatin1Char(',')))
            f.decimals = integer(QStringLiteral("numarul de zecimale"));
        expectSymbol(QLatin1Char(')'));
        if (f.length < 1 || f.length > 20 || f.decimals < 0 || f.decimals > 15 ||
            (f.decimals > 0 && f.decimals > f.length - 2))
            throw SyntaxError(QStringLiteral("Coloana %1: DECIMAL(%2,%3) nu este permis.")
                                  .arg(name)
                                  .arg(f.length)
                                  .arg(f.decimals));
    } else if (acceptWord("DATE")) {
        f.type = FieldType::Date;
        f.length = 8;
    } else {
        Q_UNUSED(typeToken);
        fail(QStringLiteral("un tip de coloana (CHAR, DECIMAL sau DATE)"));
    }
    return f;
}

Condition Parser::condition()
{
    Condition c;
    c.column = identifier(QStringLiteral("numele unei coloane"));
    if (peek().kind != Token::Kind::Symbol)
        fail(QStringLiteral("un semn de comparatie"));
    const QString op = peek().text;
    if (op == QLatin1String("="))
        c.op = CompareOp::Equal;
    else if (op == QLatin1String("<>"))
        c.op = CompareOp::NotEqual;
    else if (op == QLatin1String("<"))
        c.op = CompareOp::Less;
    else if (op == QLatin1String("<="))
        c.op = CompareOp::LessOrEqual;
    else if (op == QLatin1String(">"))
        c.op = CompareOp::Greater;
    else if (op == QLatin1String(">="))
        c.op = CompareOp::GreaterOrEqual;
    else
        fail(QStringLiteral("un semn de comparatie"));
    ++m_pos;
    c.value = literal();
    return c;
}

QStringList Parser::identifierList(const QString &what)
{
    QStringList names;
    do {
        names << identifier(what);
    } while (acceptSymbol(QLatin1Char(',')));
    return names;
}

Statement Parser::parse()
{
    Statement s;
    if (acceptWord("CREATE")) {
        expectWord("TABLE");
        s.kind = Statement::Kind::CreateTable;
        s.table = tablePath();
        expectSymbol(QLatin1Char('('));
        do {
            const QString name = identifier(QStringLiteral("numele unei coloane"));
            s.columns << columnType(name);
        } while (acceptSymbol(QLatin1Char(',')));
        expectSymbol(QLatin1Char(')'));
    } else if (acceptWord("ALTER")) {
        expectWord("TABLE");
        s.kind = Statement::Kind::AlterTableAdd;
        s.table = tablePath();
        expectWord("ADD");
        acceptWord("COLUMN");
        const QString name = identifier(QStringLiteral("numele coloanei noi"));
        s.columns << columnType(name);
    } else if (acceptWord("INSERT")) {
        expectWord("INTO");
        s.kind = Statement::Kind::Insert;
        s.table = tablePath();
        expectSymbol(QLatin1Char('('));
        s.insertColumns = identifierList(QStringLiteral("numele unei coloane"));
        expectSymbol(QLatin1Char(')'));
        expectWord("VALUES");
        expectSymbol(QLatin1Char('('));
        do {
            s.insertValues << literal();
        } while (acceptSymbol(QLatin1Char(',')));
        expectSymbol(QLatin1Char(')'));
        if (s.insertColumns.size() != s.insertValues.size())
            throw SyntaxError(QStringLiteral("Instructiune SQL neinteleasa: %1 coloane, dar %2 "
                                             "valori.")
                                  .arg(s.insertColumns.size())
                                  .arg(s.insertValues.size()));
    } else if (acceptWord("UPDATE")) {
        s.kind = Statement::Kind::Update;
        s.table = tablePath();
        expectWord("SET");
        do {
            Assignment a;
            a.column = identifier(QStringLiteral("numele unei coloane"));
            expectSymbol(QLatin1Char('='));
            a.value = literal();
            s.assignments << a;
        } while (acceptSymbol(QLatin1Char(',')));
        if (acceptWord("WHERE"))
            s.where = condition();
    } else if (acceptWord("DELETE")) {
        expectWord("FROM");
        s.kind = Statement::Kind::Delete;
        s.table = tablePath();
        if (acceptWord("WHERE"))
            s.where = condition();
    } else if (acceptWord("SELECT")) {
        s.kind = Statement::Kind::Select;
        if (acceptSymbol(QLatin1Char('*'))) {
            s.selectAll = true;
        } else {
            s.distinct = acceptWord("DISTINCT");
            s.selectColumns = identifierList(QStringLiteral("numele unei coloane"));
        }
        expectWord("FROM");
        s.table = tablePath();
        if (acceptWord("ORDER")) {
            expectWord("BY");
            s.orderBy = identifierList(QStringLiteral("numele unei coloane"));
        }
    } else {
        fail(QStringLiteral("CREATE, ALTER, INSERT, UPDATE, DELETE sau SELECT"));
    }
    acceptSymbol(QLatin1Char(';'));
    if (peek().kind != Token::Kind::End)
        fail(QStringLiteral("sfarsitul instructiunii"));
    return s;
}

} // namespace

Statement parseStatement(const QString &text)
{
    return Parser(text).parse();
}

QString quoteText(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QString quoteFilterText(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

} // namespace dosarium
