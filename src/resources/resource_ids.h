/*
 * Identifiers of the program's Windows resources and of its commands.
 *
 * Shared by torvel.rc (which the resource compiler reads through the C
 * preprocessor), by the C++ shell and by scripts/remote-view.cpp, which
 * drives a running editor, so every number here is a plain #define of a
 * literal: the resource compiler does not evaluate expressions in resource
 * names. The C++-only part at the end holds the window class names and the
 * checks that guard what code computes with (a direction from its command, a
 * pattern from its button or bitmap, a popup position from WM_MENUSELECT).
 *
 * Every menu entry, accelerator and toolbar button reaches the main window
 * as WM_COMMAND with one of the IDM_ numbers; they all lie in
 * IDM_FIRST..IDM_LAST, above every control id, so a number below 1000 in
 * WM_MENUSELECT is a popup position and never a command.
 */
#ifndef TORVEL_RESOURCES_RESOURCE_IDS_H
#define TORVEL_RESOURCES_RESOURCE_IDS_H

/* ---- Resources ------------------------------------------------------- */

#define IDR_MAIN_MENU         101  /* menu bar of the main window */
#define IDB_EDIT_TOOLBAR      102  /* strip of three 32x32 images: selection mode, one-sided, parts split */
#define IDB_ZOOM_TOOLBAR      103  /* one 32x32 image: zoom reset */
#define IDR_ACCELERATORS      104  /* the six arrow-key accelerators, F1 and Ctrl+S */
#define IDI_APP               105  /* program icon (About box, Explorer) */

/* Face split pattern images, 16x16: pattern i is bitmap IDB_PATTERN_FIRST + i. */
#define IDB_PATTERN_0         108  /* quadrilateral: four quadrilaterals around the centre */
#define IDB_PATTERN_1         109  /* quadrilateral: two, cut across */
#define IDB_PATTERN_2         110  /* quadrilateral: two, cut down */
#define IDB_PATTERN_3         111  /* triangle: four triangles */
#define IDB_PATTERN_4         112  /* triangle: two triangles at corner 2, two quadrilaterals */
#define IDB_PATTERN_5         113  /* triangle: two triangles at corner 0, two quadrilaterals */
#define IDB_PATTERN_6         114  /* triangle: two triangles at corner 1, two quadrilaterals */
#define IDB_PATTERN_7         115  /* triangle: corner 2 cut off */
#define IDB_PATTERN_8         116  /* triangle: corner 0 cut off */
#define IDB_PATTERN_9         117  /* triangle: corner 1 cut off */
#define IDB_PATTERN_10        118  /* triangle: two, cut from corner 2 */
#define IDB_PATTERN_11        119  /* triangle: two, cut from corner 0 */
#define IDB_PATTERN_12        120  /* triangle: two, cut from corner 1 */
#define IDB_PATTERN_FIRST     108
#define IDB_PATTERN_LAST      120

#define IDD_FACE_SPLIT        121  /* the face split dialog */

/* ---- Controls of the face split dialog ---------------------------------- */
/* IDOK (1) and IDCANCEL (2) are its two other buttons. */

#define IDC_PATTERN_0        1000
#define IDC_PATTERN_1        1001
#define IDC_PATTERN_2        1002
#define IDC_PATTERN_3        1003
#define IDC_PATTERN_4        1004
#define IDC_PATTERN_5        1005
#define IDC_PATTERN_6        1006
#define IDC_PATTERN_7        1007
#define IDC_PATTERN_8        1008
#define IDC_PATTERN_9        1009
#define IDC_PATTERN_10       1010
#define IDC_PATTERN_11       1011
#define IDC_PATTERN_12       1012
#define IDC_PATTERN_FIRST    1000
#define IDC_PATTERN_LAST     1012
#define IDC_PATTERN_QUAD_FIRST      1000  /* quadrilateral group: patterns 0..2 */
#define IDC_PATTERN_QUAD_LAST       1002
#define IDC_PATTERN_TRIANGLE_FIRST  1003  /* triangle group: patterns 3..12 */
#define IDC_PATTERN_TRIANGLE_LAST   1012

#ifndef IDC_STATIC
#define IDC_STATIC             (-1)
#endif

/* ---- Controls of the main window that code addresses by id ------------ */

#define IDC_ZOOM_EDIT        1401  /* zoom percent field */
#define IDC_PARTS_LIST       1402  /* list of parts at the right edge */
#define IDC_VIEW_WINDOW      1524  /* the view of the model */
#define IDC_STATUS_BAR       1540
#define IDC_REBAR            1556  /* vertical, with the two toolbars as bands */
#define IDC_EDIT_TOOLBAR     1572
#define IDC_ZOOM_TOOLBAR     1576  /* holds the zoom label, field, spin and slider */
#define IDC_ZOOM_LABEL       1652
#define IDC_ZOOM_SLIDER      1684
#define IDC_ZOOM_SPIN        1700

/* ---- Commands -------------------------------------------------------- */

#define IDM_FILE_OPEN              40001  /* 開く */
#define IDM_FILE_SAVE_AS           40002  /* 名前を付けて保存 */
#define IDM_FILE_EXIT              40003  /* 終了 */
#define IDM_EDIT_UNDO              40004  /* 元に戻す */
#define IDM_EDIT_SPLIT_PARTS       40005  /* パーツ分割 (also a toolbar button) */
#define IDM_EDIT_DESELECT_ALL      40006  /* 全て選択解除 */
#define IDM_EDIT_DESELECT_MODE     40007  /* 選択/解除 toggle (also a toolbar button) */
#define IDM_EDIT_ONE_SIDED         40008  /* 両面/片面 toggle (also a toolbar button) */
#define IDM_DIRECTION_FRONT        40009  /* 前, Down */
#define IDM_DIRECTION_BACK         40010  /* 後, Up */
#define IDM_DIRECTION_LEFT         40011  /* 左, Left */
#define IDM_DIRECTION_RIGHT        40012  /* 右, Right */
#define IDM_DIRECTION_TOP          40013  /* 上, Ctrl+Up */
#define IDM_DIRECTION_BOTTOM       40014  /* 下, Ctrl+Down */
#define IDM_ZOOM_RESET             40015  /* zoom toolbar button only, no menu entry */
#define IDM_EDIT_SPLIT_FACES       40016  /* 面分割 */
#define IDM_EDIT_ALIGN_X           40017  /* 整列 > X軸方向 */
#define IDM_EDIT_ALIGN_Y           40018  /* 整列 > Y軸方向 */
#define IDM_EDIT_ALIGN_Z           40019  /* 整列 > Z軸方向 */
#define IDM_EDIT_WEIGHTS_TO_ONE    40020  /* 重みを1に設定 */
#define IDM_EDIT_SELECT_ALL        40021  /* 全て選択 */
#define IDM_EDIT_INVERT_SELECTION  40022  /* 選択反転 */
#define IDM_HELP_CONTENTS          40023  /* ﾍﾙﾌﾟ */
#define IDM_HELP_ABOUT             40024  /* ﾊﾞｰｼﾞｮﾝ情報 */
#define IDM_FILE_SAVE              40025  /* 上書き保存, Ctrl+S */
#define IDM_FILE_IMPORT            40026  /* インポート */
#define IDM_FILE_EXPORT            40027  /* エクスポート */
#define IDM_FIRST                  40001
#define IDM_LAST                   40027

/* ---- Positions in the menu bar (GetSubMenu, EnableMenuItem by position) -- */

#define MENU_POS_FILE         0
#define MENU_POS_EDIT         1
#define MENU_POS_DIRECTION    2
#define MENU_POS_HELP         3
#define MENU_POS_EDIT_ALIGN   4  /* the 整列 popup inside 編集 */
#define MENU_POS_DIRECTION_LAST 5  /* items 0 (前) .. 5 (下) of the 方向 popup */
#define MENU_POS_LIMIT     1000  /* an item below this in WM_MENUSELECT is a popup position */

#if defined(__cplusplus) && !defined(RC_INVOKED)
/* Window classes and the main window's title: a second instance finds the
   running editor by them, and so does remote-view. */
inline constexpr wchar_t kMainWindowClass[] = L"TORVEL_CLASS";
inline constexpr wchar_t kMainWindowTitle[] = L"TORVEL";
inline constexpr wchar_t kViewWindowClass[] = L"TORVEL_CHILD_CLASS";

/* Closes the main window as WM_CLOSE does but without asking about unsaved
   changes, which are lost: only for remote-view, which drives the editor
   from scripts that must never meet the question. WM_APP + 16. */
inline constexpr unsigned kCloseWithoutAsking = 0x8000 + 16;

/* The direction is the command's offset from IDM_DIRECTION_FRONT and also the
   item's position in the 方向 popup; pattern i has button and bitmap i. */
static_assert(IDM_DIRECTION_BOTTOM - IDM_DIRECTION_FRONT == 5, "six directions in order");
static_assert(MENU_POS_DIRECTION_LAST == IDM_DIRECTION_BOTTOM - IDM_DIRECTION_FRONT, "one popup item per direction");
static_assert(IDC_PATTERN_LAST - IDC_PATTERN_FIRST == 12, "thirteen pattern buttons");
static_assert(IDB_PATTERN_LAST - IDB_PATTERN_FIRST == 12, "thirteen pattern bitmaps");
static_assert(IDC_PATTERN_QUAD_LAST + 1 == IDC_PATTERN_TRIANGLE_FIRST, "quadrilateral group, then triangles");
static_assert(IDC_ZOOM_EDIT < IDM_FIRST && IDC_PARTS_LIST < IDM_FIRST && IDC_VIEW_WINDOW < IDM_FIRST &&
                  IDC_ZOOM_SPIN < IDM_FIRST,
              "controls below the commands");
/* WM_COMMAND and WM_MENUSELECT carry the id in 16 bits. */
static_assert(IDM_LAST <= 0xFFFF, "commands fit a WORD");
static_assert(MENU_POS_EDIT_ALIGN < MENU_POS_LIMIT && MENU_POS_DIRECTION_LAST < MENU_POS_LIMIT &&
                  IDM_FIRST >= MENU_POS_LIMIT,
              "popup positions below the limit, commands above it");
#endif

#endif /* TORVEL_RESOURCES_RESOURCE_IDS_H */
