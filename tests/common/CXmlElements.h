#pragma once

// The element texts of an XML document, read with expat, for tests that
// check what a rewritten document says rather than its bytes.

#include "CTestKit.h"

#include <expat.h>

#include <map>
#include <string>
#include <vector>

// Element texts by path ("BWFXML/TRACK_LIST/TRACK/NAME"), in document order.
using ELEMENTS = std::map<std::string, std::vector<std::string>>;

inline ELEMENTS Elements(const Bytes& body) {
    struct STATE {
        std::vector<std::string> path;
        std::string text;
        ELEMENTS elements;
    } state;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(
        parser,
        [](void* pData, const XML_Char* name, const XML_Char**) {
            auto* p = static_cast<STATE*>(pData);
            p->path.push_back(name);
            p->text.clear();
        },
        [](void* pData, const XML_Char*) {
            auto* p = static_cast<STATE*>(pData);
            std::string key;
            for (const std::string& part : p->path) {
                key += (key.empty() ? "" : "/") + part;
            }
            p->elements[key].push_back(p->text);
            p->text.clear();
            p->path.pop_back();
        });
    XML_SetCharacterDataHandler(parser, [](void* pData, const XML_Char* text, int length) {
        static_cast<STATE*>(pData)->text.append(text, std::size_t(length));
    });
    // Recorders pad the document with spaces or zero bytes.
    std::size_t length = body.size();
    while (length != 0 && body[length - 1] == 0) {
        --length;
    }
    const bool isParsed =
        XML_Parse(parser, reinterpret_cast<const char*>(body.data()), int(length), 1) != 0;
    EXPECT_TRUE(isParsed) << XML_ErrorString(XML_GetErrorCode(parser));
    XML_ParserFree(parser);
    return state.elements;
}
