// Town names to pinyin.
