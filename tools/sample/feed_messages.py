# The messages of the sample feed: (category, title, text). Original texts written for the demo.
MESSAGES = [
    ("News", "Harbour bridge reopens early",
     "The harbour bridge reopened to traffic on Tuesday morning, two weeks ahead of schedule. "
     "Engineers finished replacing the expansion joints overnight. Buses return to their normal "
     "routes from Wednesday. The city council thanked residents for their patience during the "
     "repairs, which began in early spring."),
    ("News", "Council approves new library",
     "The city council has approved plans for a new public library in the old market hall. "
     "Building work is due to start next year and the library should open in three years. "
     "The plans include a children's floor, study rooms and a roof garden open to the public."),
    ("News", "Night trains return in May",
     "Night trains to the north will run again from May. The rail operator said demand had "
     "grown steadily and new sleeping cars are now ready. Tickets go on sale next Monday."),
    ("News", "River levels back to normal",
     "Water levels on the river have fallen back to normal after last week's heavy rain. "
     "The flood barriers along the quay will be taken down over the weekend. Residents are "
     "asked to keep clear of the riverside paths until the work is done."),
    ("News", "School meals to go local",
     "From the autumn term, school kitchens in the region will buy at least half of their "
     "vegetables from local farms. Parents' groups welcomed the plan."),
    ("News", "Airport expects record summer",
     "The regional airport expects more than two million passengers this summer, a new record. "
     "Three new routes to southern Europe start in June. Travellers are advised to arrive two "
     "hours before departure at peak times."),
    ("News", "Storm damage: the full picture",
     "Last weekend's storm was the strongest to hit the coast in more than twenty years. Gusts "
     "of up to 140 kilometres an hour were measured at the lighthouse on the northern point, "
     "and the ferry service to the islands was suspended for two days.\r\n"
     "Emergency services answered more than 900 calls between Saturday evening and Monday "
     "morning. Most were about fallen trees, loose roof tiles and flooded cellars. Nobody was "
     "seriously hurt, but two fishing boats broke their moorings in the old harbour and were "
     "found on the beach on Sunday morning.\r\n"
     "Around 12,000 homes lost power at the height of the storm. The grid operator said that "
     "all but a few hundred had been reconnected by Monday evening, and that the remaining "
     "homes, mostly on remote farms, should have power again by Wednesday. Crews from "
     "neighbouring regions have been called in to help.\r\n"
     "The forestry service has closed the coastal woods until further notice. Many trees are "
     "still leaning against each other and could fall without warning. Walkers are asked to "
     "stay on the beach paths and to keep dogs on a lead.\r\n"
     "Insurers expect claims to run into tens of millions. Home owners should photograph any "
     "damage before clearing it away and keep receipts for emergency repairs. A help desk at "
     "the town hall is open every day this week from eight in the morning until six in the "
     "evening.\r\n"
     "The weather service says the coming days will be calm and dry, which should make the "
     "clearing work easier. Another area of low pressure may reach the coast at the end of "
     "next week, but forecasters expect it to be much weaker than last weekend's storm."),
    ("News", "Museum night draws crowds",
     "More than 30,000 visitors took part in Saturday's museum night. Twenty-four museums "
     "stayed open until two in the morning, linked by free buses."),
    ("Sport", "Rovers win the cup final",
     "Rovers won the national cup final 2-1 after extra time. Their captain scored the winning "
     "goal in the 113th minute with a header from a corner. It is the club's first cup in "
     "eleven years."),
    ("Sport", "Marathon record on the coast",
     "The coastal marathon saw a new course record on Sunday. The winner finished in two hours, "
     "seven minutes and nine seconds, almost a minute faster than the old record."),
    ("Sport", "Ice hockey: semi-final set",
     "The ice hockey semi-finals are set after Thursday's quarter-finals. The first game is on "
     "Saturday evening in the city arena. Tickets are sold out."),
    ("Sport", "Young sailor leads regatta",
     "A seventeen-year-old from the local sailing club leads the spring regatta after four of "
     "seven races. The final races are on Sunday if the wind allows."),
    ("Sport", "New stadium roof finished",
     "The new roof of the city stadium is finished. It covers all seats and collects rain water "
     "for the pitch."),
    ("Sport", "Tennis: home hope through",
     "The home player reached the quarter-finals of the indoor tournament with a straight-sets "
     "win. She plays the top seed on Friday."),
    ("Business", "Shipyard wins ferry order",
     "The shipyard has won an order for two electric ferries. The contract secures around 600 "
     "jobs for the next three years. The first ferry is due for delivery in two years."),
    ("Business", "Inflation eases to 2.1%",
     "Inflation eased to 2.1 percent in November, down from 2.6 percent in October. Lower "
     "energy prices were the main reason, the statistics office said."),
    ("Business", "Bakery chain opens ten shops",
     "A regional bakery chain will open ten new shops next year and hire about 150 people. "
     "Most of the new shops will be at railway stations."),
    ("Business", "Port traffic up 8 percent",
     "Container traffic through the port rose by eight percent this year. The port authority "
     "plans a new quay for larger ships."),
    ("Business", "Markets close higher",
     "Share prices closed higher on Friday. The main index gained 0.8 percent, led by shipping "
     "and energy companies. The currency was steady against the dollar."),
    ("Business", "Wind farm gets green light",
     "The offshore wind farm north of the islands has been approved. Its 60 turbines will "
     "supply power for about 400,000 homes from 2029."),
    ("Weather", "Today: sunny spells",
     "Sunny spells this morning, clouding over from the west in the afternoon. Highs of 14 "
     "degrees inland and 11 on the coast. Light south-westerly winds."),
    ("Weather", "Tonight: rain spreading east",
     "Rain spreading east during the evening, heavy at times on high ground. Lows of 6 "
     "degrees. Winds freshening from the south-west."),
    ("Weather", "Tomorrow: bright and breezy",
     "A bright and breezy day with scattered showers, mainly near the coast. Highs of 12 "
     "degrees. Strong winds on exposed headlands."),
    ("Weather", "Weekend outlook",
     "Mostly dry on Saturday with some sunshine. Sunday turns cloudy with rain in the north by "
     "evening. Temperatures close to normal for the time of year."),
    ("Weather", "Pollen and UV",
     "Tree pollen is moderate today and high tomorrow. The UV index is low."),
    ("Weather", "Sea areas",
     "North coast: south-west 4 to 5, occasionally 6 later. Moderate sea. Rain later. Good, "
     "becoming moderate."),
    ("Culture", "Orchestra names new conductor",
     "The city orchestra has named a new chief conductor. She takes up the post next autumn "
     "and will conduct eight programmes in her first season."),
    ("Culture", "Film festival programme out",
     "The programme of the winter film festival is out. Forty-two films from twenty countries "
     "will be shown in five cinemas over ten days."),
    ("Culture", "Author wins poetry prize",
     "A local author has won the national poetry prize for her third collection, a book of "
     "poems about the islands and the sea."),
    ("Culture", "Castle opens new wing",
     "The castle museum opens its restored east wing this weekend. Visitors can see the old "
     "kitchens and the library for the first time in fifty years."),
    ("Culture", "Jazz club celebrates 50 years",
     "The harbour jazz club celebrates its fiftieth birthday with a week of concerts. Many of "
     "the musicians who played there in the early years return for the occasion."),
    ("Culture", "Theatre: sold-out premiere",
     "The new play at the city theatre had a sold-out premiere on Friday. Extra performances "
     "have been added in January."),
    ("Europe", "Schnee in den Alpen: Pässe zu",
     "Starker Schneefall hat in den Alpen mehrere Pässe geschlossen. Autofahrer müssen mit "
     "Verspätungen rechnen. Die Straßenmeistereien sind rund um die Uhr im Einsatz. Für das "
     "Wochenende wird weiterer Schnee erwartet."),
    ("Europe", "Bahn: neue Züge ab März",
     "Ab März fahren auf der Strecke an der Küste neue Züge. Sie sind größer, leiser und haben "
     "mehr Platz für Fahrräder. Die Fahrzeit verkürzt sich um zwölf Minuten."),
    ("Europe", "Grüße aus dem Weihnachtsmarkt",
     "Der Weihnachtsmarkt auf dem Rathausplatz hat geöffnet. Über hundert Stände bieten "
     "Glühwein, Lebkuchen und Kunsthandwerk an. Geöffnet ist täglich bis 21 Uhr."),
    ("Europe", "Sverige: snö i norr",
     "Det har fallit mycket snö i norra Sverige. Tågen mellan Kiruna och Narvik är försenade "
     "och flera vägar är stängda. Räddningstjänsten uppmanar bilister att stanna hemma."),
    ("Europe", "Göteborg får ny spårväg",
     "Göteborg bygger en ny spårvägslinje till hamnen. Arbetet börjar i vår och linjen ska "
     "vara klar om fyra år. Resenärerna får då tätare avgångar."),
    ("Europe", "Paris : le métro à l'heure",
     "La nouvelle ligne de métro automatique a transporté plus d'un million de voyageurs dès "
     "sa première semaine. Les rames circulent toutes les quatre-vingt-dix secondes aux "
     "heures de pointe."),
    ("Europe", "Fête de la lumière à Lyon",
     "La fête des lumières a attiré des centaines de milliers de visiteurs à Lyon. Les "
     "façades de la cathédrale et de l'hôtel de ville étaient illuminées chaque soir."),
    ("Europe", "Brüssel: Einigung über Zölle",
     "Die Handelsminister haben sich in Brüssel auf neue Regeln für Zölle geeinigt. Die "
     "Einigung muss noch vom Parlament bestätigt werden."),
    ("Technology", "Faster broadband for villages",
     "Fifty villages will get fibre broadband next year under a new regional programme."),
    ("Technology", "App shows bus times live",
     "A new app shows the position of every bus in the city in real time."),
    ("Technology", "Robot lawn mowers on trial",
     "The parks department is testing robot lawn mowers in two city parks this summer."),
    ("News", "Ferry timetable for holidays",
     "The ferries to the islands run an extra evening service from the 20th of December to the "
     "6th of January. Booking is recommended for cars."),
]
