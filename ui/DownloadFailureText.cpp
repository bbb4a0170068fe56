#include "ui/DownloadFailureText.h"

DownloadFailureText DescribeDownloadFailure(const FetchResult& result, const std::wstring& host) {
    switch (result.outcome) {
    case FetchOutcome::Done:
    case FetchOutcome::Cancelled:  // the window is closing: nobody reads the log any more
        return {};
    case FetchOutcome::ConnectionFailed:
        return {L"无法连接到Zorvik网站，请从浏览器打开" + host + L"进行手动更新\r\n\r\n", L"链接无效! "};
    case FetchOutcome::NoResponse:
        return {L"更新信息链接无效\r\n", L"更新信息链接无效!"};
    case FetchOutcome::BadStatus: {
        std::wstring status = std::to_wstring(result.status);
        return {L"文件下载失败，HTTP状态码：" + status + L"\r\n\r\n", L"打开网页文件出错，错误码：" + status + L" "};
    }
    case FetchOutcome::CannotCreate:
        // No line end: the next log text continues on the same line.
        return {L"临时文件 " + result.destination + L" 无法创建", L"创建接受文件错误!"};
    case FetchOutcome::WriteFailed:
    case FetchOutcome::Incomplete:
        return {L"文件下载不完整：" + result.url + L"\r\n\r\n", L"文件下载不完整"};
    }
    return {};
}
