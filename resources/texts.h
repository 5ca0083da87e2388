// Every text the user can see, once. Texts are 8-bit ANSI and used exactly as they stand.
#pragma once

#include "build_config.h"
#include "resources/product.h"

namespace quenlox::texts {

constexpr char kAppTitle[] = QUENLOX_APP_TITLE;
// Names the Run value and marks the hosts file as blocked.
constexpr char kProductWord[] = QUENLOX_PRODUCT_WORD;

constexpr char kTrayTip[] = "Leftclick for settings/summary; Rightclick to order";

// Menu captions as designed; the block items are re-captioned before every opening.
constexpr char kBlockWindowPopDesigned[] = "Block Window Popup Advertising";
constexpr char kBlockInLineDesigned[] = "Block In-Line Browser Ads";
constexpr char kBlockBrowserPopDesigned[] = "Block Browser Pop Ups";
constexpr char kHelpFAQ[] = "Help FAQ";
constexpr char kDisable[] = "Disable " QUENLOX_PRODUCT_WORD;
constexpr char kMoreSoftwareDownloads[] = "More Free Trial Software";
constexpr char kHowToOrder[] = "Buy Now";

// The block captions are both what the user reads and the state the toggles act on.
constexpr char kWindowPopNotApplicable[] = "No Blocking Required - Window Popup Spam";
constexpr char kWindowPopNotBlocked[] = "Block Window Popup Spam";
constexpr char kWindowPopBlocked[] = "Un-Block Window Popup Spam (Currently Blocked)";
constexpr char kInLineNotApplicable[] = "No Blocking Required - In-Line Browser Ads";
constexpr char kInLineNotBlocked[] = "Block In-Line Browser Ads";
constexpr char kInLineBlocked[] = "Un-Block In-Line Browser Ads (Currently Blocked)";
constexpr char kBrowserPopNotApplicable[] = "No Blocking Required - Browser Popups";
constexpr char kBrowserPopNotBlocked[] = "Block Browser Popups";
constexpr char kBrowserPopBlocked[] = "Un-Block Browser Popups (Currently Blocked)";

constexpr char kFileAccessProblem[] =
    "There was file access problem and we could not read some information required. Please "
    "close all applications and try again.  If this still continues, you may need to reboot in "
    "order to be able to read the information.";

constexpr char kWindowPopNowBlocked[] =
    "The Windows spam popups are NOW BLOCKED and will no longer appear.";
constexpr char kBrowserPopNowBlocked[] =
    "The browser popups are NOW BLOCKED and will no longer appear. Be sure to close and reopen "
    "your browser to take effect.";
constexpr char kInLineNowBlocked[] =
    "The in-line browser ads are NOW BLOCKED and will no longer appear. Be sure to close and "
    "reopen your browser to take effect.";
constexpr char kBlockFailed[] =
    "This block could not be done. Please close all other applications, and then try again.";
// Un-blocking: the first line holds the product word in a line the block did not write.
constexpr char kInLineMarkerNotOurs[] =
    "The first line of your hosts file contains the word " QUENLOX_PRODUCT_WORD
    ", but " QUENLOX_PRODUCT_WORD
    " did not write that line, so it cannot be un-blocked from here. "
    "Please remove or change that line in your hosts file yourself. Nothing has been changed.";
// Blocking a hosts file saved as Unicode (UTF-16), which the block cannot edit.
constexpr char kInLineNotPlainText[] =
    "Your hosts file is saved as Unicode text, and the in-line block can only work with a hosts "
    "file saved as plain text, so it was not blocked. Please open the hosts file in Notepad, "
    "choose Save As with the encoding ANSI, and then try again.";
constexpr char kWindowPopValueMissing[] =
    "This block does not apply to your system as these popups only occur on NT, XP, or later "
    "operating systems. ";
constexpr char kBrowserPopValueMissing[] =
    "This IE block could not be done on your system. This could be due to an outdated browser.";

constexpr char kDisableQuestion[] = "You are about to disable and remove " QUENLOX_PRODUCT_WORD
                                    " from your system tray. Please confirm.";
constexpr char kWarningCaption[] = "Warning";
constexpr char kYesButton[] = "&Yes";
constexpr char kNoButton[] = "&No";

constexpr char kRegSetDataFailed[] = "Failed to set data for '%s'";
constexpr char kRegGetDataFailed[] = "Failed to get data for '%s'";
constexpr char kRegInvalidDataType[] = "Invalid data type for '%s'";
// Shown for an error that carries no text of its own.
constexpr char kUnknownError[] = "Unknown error";

// The hosts-file block: the first line carries the product word, the section is delimited.
constexpr char kHostsMarkerLine[] =
    "# " QUENLOX_PRODUCT_WORD " in-line ad block: lines between the " QUENLOX_PRODUCT_WORD
    " markers were added; the original is in hosts.sav";
constexpr char kHostsSectionBegin[] = "# " QUENLOX_PRODUCT_WORD " block begin";
// Begins the section instead when the block had to end the original's last line for it.
constexpr char kHostsSectionBeginAfterAddedBreak[] =
    "# " QUENLOX_PRODUCT_WORD " block begin (the line break before this line was added)";
constexpr char kHostsSectionEnd[] = "# " QUENLOX_PRODUCT_WORD " block end";
// How each of the lines above starts.
constexpr char kHostsOwnLineStart[] = "# " QUENLOX_PRODUCT_WORD;

constexpr char kHelpNoBrowser[] =
    "We could not automatically open your browser, please view the help.html file in your "
    "installation folder.";
constexpr char kDownloadsNoBrowser[] =
    "We could not automatically open your browser, please go to " QUENLOX_VENDOR_URL
    " to download free trial software.";

// The ordering window.
constexpr char kOrderingCaption[] = "Ordering Information";
constexpr char kReturnButton[] = "Return";
constexpr char kOrderingInstructions[] = "ORDERING INSTRUCTIONS:";
constexpr char kProblemsOrdering[] =
    "Problems Ordering? Click here to email support for assistance!";
constexpr char kOrderVia[] =
    "Order via credit card online (secured form), telephone, pay pal, check or money order, or "
    "fax. (All credit cards are accepted, both internationally and within the United States. All "
    "information sent online is encrypted for your protection.)";
constexpr char kOrderPageLink[] = QUENLOX_ORDER_URL "  (Click here to open the order page)";
constexpr char kCosts[] = "Costs:";
constexpr char kPrice[] = "\"" QUENLOX_APP_TITLE "\"     - $19.95";
constexpr char kShippingEmail[] =
    "Shipping/Handling                   - $0.00  FREE  Via Email Delivery";
constexpr char kShippingPostal[] = "  - $5.00 U.S. Postal Mail (CD Rom)";
constexpr char kShippingInternational[] = "  - $7.00 International (CD Rom)";
constexpr char kSupportLabel[] =
    "Support: Feel free to click here and contact support for ordering help, questions, or any "
    "concerns that you may have.";

constexpr char kSupportNotice[] =
    "If you have any questions or problems, please feel free to send an email to support "
    "at " QUENLOX_SUPPORT_EMAIL
    " (Many ordering options are available, including Mastercard, Visa, Discover, Amex, Switch, "
    "Solo, Pay Pal, Eurocard, Diners, Check, Money Order, and others. You can also visit either "
    "of the ordering websites listed above, as there are several choices for your convenience.)";
constexpr char kMailSubjectOrderingHelp[] = "Ordering Help - " QUENLOX_PRODUCT_WORD;
constexpr char kMailSubjectQuestions[] = QUENLOX_PRODUCT_WORD " Questions (Order Page)";
constexpr char kMailTo[] = "mailto:" QUENLOX_SUPPORT_EMAIL "?Subject=";
constexpr char kNoMailClient[] =
    "You cannot view this file because you do not have a default email software setup. Simply "
    "email your question to support at " QUENLOX_SUPPORT_EMAIL;
constexpr char kNoBrowser[] =
    "Your browser did not open. Please open your browser and type the website name in your "
    "browser -> " QUENLOX_ORDER_URL
    "  If you have any questions or problems, please contact support at " QUENLOX_SUPPORT_EMAIL
    " and place \"Ordering Help\" on the subject line";

}  // namespace quenlox::texts
