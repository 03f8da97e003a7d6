// The framework's string-table messages (identifiers 65360 to 65535) and
// their loading. The texts live in resources/strings.txt.
#pragma once

#include "runtime/format.h"

#include <string>

// Identifiers of the messages the framework raises or shows.
enum : unsigned {
    SAppClassNameInUse = 65505,    // "クラス名 %s はすでに使われています"
    SInvalidPropertyValue = 65506, // "不正なプロパティの値です"
    SInvalidPropertyPath = 65507,  // "不正なプロパティのパスです"
    SUnknownProperty = 65508,      // "プロパティが存在しません"
    SReadOnlyProperty = 65509,     // "プロパティは書き込み禁止です"
    SPropertyReadError = 65510,    // "%s%s%s の読み込み中のエラー : %s"
    SAncestorNotFound = 65511,     // "'%s' の継承元が存在しません"
    SWriteError = 65522,           // "ストリームへの書き込みエラー"
    SReadError = 65523,            // "ストリームからの読み込みエラー"
    SCantWriteResourceStream = 65526, // "読み込み専用リソース ストリームには書き込めません"
    SClassNotFound = 65527,       // "クラス %s が見つかりません"
    SInvalidStreamFormat = 65528, // "不正なストリーム フォーマット"
    SResNotFound = 65529,         // "%s リソースが見つかりません"
    SIniFileWriteError = 65461,   // "%s に書き込めません"
    SInvalidRegType = 65463,      // "'%s' のデータ型が不正です"
    SRegGetDataFailed = 65464,    // "'%s' の取得に失敗しました"
    SWindowDCError = 65491,       // "デバイス コンテキストの作成に失敗しました"
    SWindowClass = 65492, // "ウィンドウクラスの作成でエラーが発生しました"
    SVisibleChanged = 65496, // "OnShow/OnHide イベントの処理中は表示状態の変更はできません"
    SNoMDIForm = 65502, // "フォームが作成できません。有効な MDI フォームがありません"
    SExceptionAtUnknownAddress =
        65433, // "%sがモジュール %s の不明なアドレスで発生しました。\n%s%s"
    SExceptionInModule = 65434, // "%sがモジュール %s の %p で発生しました。\n%s%s"
    SExceptionTitle = 65435,    // "アプリケーション エラー"
    SOperationAborted = 65430,
    SWin32Error = 65431,
    SInvalidInteger = 65400,
    SInvalidFloat = 65401,
    SInvalidDate = 65402,
    SInvalidTime = 65403,
    SInvalidDateTime = 65404,
    SListIndexError = 65410,
    SDuplicateName = 65411,
    SInvalidName = 65412,
    SAbstractError = 65413,
};

// The message text of a string-table entry in the ANSI code page, read from
// the program's resource module (a language resource module when one was
// chosen at start-up), else from the program itself; empty when neither has
// the entry.
std::string LoadResString(unsigned id);

// LoadResString, then Format with the arguments.
std::string FormatResString(unsigned id, std::initializer_list<FormatArg> args);
